#pragma once
// The station's only source of the date and time, and its only way to wait. Tests use a
// fixed clock whose pauses only move its time on.

#include <QDateTime>

namespace pw {

class Clock {
public:
    virtual ~Clock() = default;
    // Local time in the station's zone; its offsetFromUtc() tells the passes of a repeated
    // hour apart.
    virtual QDateTime now() const = 0;
    // Waits ms milliseconds while window events keep running.
    virtual void pause(int ms) = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    void pause(int ms) override;
};

} // namespace pw
