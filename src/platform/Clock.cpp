#include "platform/Clock.h"

QDateTime Clock::fixed_;

QDateTime Clock::now() {
    return fixed_.isValid() ? fixed_ : QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime &when) {
    fixed_ = when;
}
