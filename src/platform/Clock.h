#pragma once

#include <QDateTime>

// The one source of the time of day for the whole program. Tests can fix it.
class Clock {
public:
    static QDateTime now();
    // Fix the time that now() returns; an invalid QDateTime returns to the real clock.
    static void setFixed(const QDateTime &when);

private:
    static QDateTime fixed_;
};
