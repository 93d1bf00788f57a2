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
        tracks_.clear();
        modes_.clear();
        SetMusicWatchers(
            [](const char* name, i32 id, int list) {
                tracks_.push_back({name ? name : "", id, list});
            },
            [](int mode, int repeat, int fade) {
                modes_.push_back({mode, repeat, fade});
            });
    }
    ~MusicRecorder() {
        SetMusicWatchers(nullptr, nullptr);
        gMusic.SetFinishedAnswer(-1);
    }
    MusicRecorder(const MusicRecorder&) = delete;
    MusicRecorder& operator=(const MusicRecorder&) = delete;

    const std::vector<Track>& tracks() const { return tracks_; }
    const std::vector<Mode>& modes() const { return modes_; }
    // From now on the music reads as finished (true), still playing (false).
    void AnswerFinished(bool finished) { gMusic.SetFinishedAnswer(finished ? 1 : 0); }

private:
    static inline std::vector<Track> tracks_;
    static inline std::vector<Mode> modes_;
};
