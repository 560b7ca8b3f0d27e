#pragma once
// The title label every dialog shows at its top right.
#include <QString>

class QLabel;
class QWidget;

// A label named "titel": Arial, bold and italic, right-aligned, plain text.
QLabel *TitelLabel(QWidget *parent, const QString &text);
