// A sound service for unit tests: beeps and played files are recorded.
#pragma once

#include "platform/sound.h"

#include <QStringList>

namespace tk {

class FakeSound : public Sound {
public:
    int beeps = 0;
    QStringList played;     // every file asked for, played or not
    bool playResult = true; // what playSync answers

    void beep() override { ++beeps; }
    bool playSync(const QString& file) override {
        played << file;
        return playResult;
    }
};

} // namespace tk
