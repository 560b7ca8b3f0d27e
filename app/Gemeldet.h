#pragma once
// A value that reports every assignment, so that a display can follow it
// without every writer having to remember the display.
#include <functional>
#include <utility>

template <typename T>
class Gemeldet {
public:
    Gemeldet(T anfang, std::function<void()> bei) : wert(std::move(anfang)), melden(std::move(bei)) {}
    Gemeldet(const Gemeldet &) = delete;
    Gemeldet &operator=(const Gemeldet &) = delete;

    Gemeldet &operator=(T neu)
    {
        wert = std::move(neu);
        if (melden)
            melden();
        return *this;
    }
    operator const T &() const { return wert; }

private:
    T wert;
    std::function<void()> melden;
};
