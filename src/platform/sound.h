#pragma once

#include <QString>

namespace tk {

class Sound {
public:
    virtual ~Sound() = default;
    virtual void beep() = 0;
    // Plays a WAV file to its end; false (silently) when it cannot be played.
    virtual bool playSync(const QString& file) = 0;
};

} // namespace tk
