// Records the music the game asks for (pieces put on play lists, play modes),
// in order, while the recorder lives; and answers whether the music has
// finished. One at a time.
#pragma once
#include <string>
#include <vector>

#include "sound/Music.h"

class MusicRecorder {
public:
    struct Track {
        std::string name;
        i32 id;
        int list;
    };
    struct Mode {
        int mode, repeat, fadeTime;
    };

    MusicRecorder() {
        Tracks().clear();
        Modes().clear();
        SetMusicWatchers([](const char* name, i32 id, int list) { Tracks().push_back({name ? name : "", id, list}); },
                         [](int mode, int repeat, int fade) { Modes().push_back({mode, repeat, fade}); });
    }
    ~MusicRecorder() {
        SetMusicWatchers(nullptr, nullptr);
        gMusic.SetFinishedAnswer(-1);
    }
    MusicRecorder(const MusicRecorder&) = delete;
    MusicRecorder& operator=(const MusicRecorder&) = delete;

    const std::vector<Track>& tracks() const { return Tracks(); }
    const std::vector<Mode>& modes() const { return Modes(); }
    // From now on the music reads as finished (true), still playing (false).
    void AnswerFinished(bool finished) { gMusic.SetFinishedAnswer(finished ? 1 : 0); }

private:
    static std::vector<Track>& Tracks() {
        static std::vector<Track> t;
        return t;
    }
    static std::vector<Mode>& Modes() {
        static std::vector<Mode> m;
        return m;
    }
};
