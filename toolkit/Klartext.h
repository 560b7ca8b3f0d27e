#pragma once
// A keeper's text in a tooltip. Tooltips read markup, so the text is escaped
// and kept on its lines: a name like "<b>Kaa</b>" shows as typed.
#include <QString>

QString KlartextTooltip(const QString &text);
