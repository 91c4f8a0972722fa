#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "sound/sound_player.h"
#include "toolkit/dialogs.h"
#include "toolkit/program_control.h"
#include "toolkit/random_source.h"
#include "toolkit/services.h"

namespace brivadoro::testing {

// A box the game opened, as the player would have seen it.
struct ShownBox {
    enum class Kind { Message, Input };
    Kind kind;
    QString text; // the message, or the input box's prompt
    int style = 0;
    QString title;
};

// The player's answer to the next box. whileOpen runs while the box is open, as a timer tick or a
// click would in the real modal loop.
struct BoxAnswer {
    int button = MessageAnswer::Ok;
    QString text;
    std::function<void()> whileOpen;
};

// Answers boxes from a script; with the script empty it presses OK (or No) and types nothing.
class ScriptedDialogs final : public Dialogs {
public:
    void answer(BoxAnswer next) { script_.push_back(std::move(next)); }
    void answerText(const QString& text) { answer({MessageAnswer::Ok, text, {}}); }

    int messageBox(const QString& text, int style, const QString& title) override;
    QString inputBox(const QString& prompt) override;

    std::vector<ShownBox> shown;

private:
    BoxAnswer next(int fallbackButton);
    std::deque<BoxAnswer> script_;
};

// Draws from a script of chosen values, then from a fixed-seed generator; records every reseed.
class ScriptedRandom final : public RandomSource {
public:
    struct Event {
        enum class Kind { Draw, ReseedFromClock, Reseed };
        Kind kind;
        double value; // the draw, or the reseed number
    };

    void script(std::initializer_list<float> draws) { draws_.insert(draws_.end(), draws); }

    float draw() override;
    void reseedFromClock() override;
    void reseed(double number) override;

    // The numbers passed to reseed(), in order.
    [[nodiscard]] std::vector<double> reseeds() const;

    std::vector<Event> events;

private:
    std::deque<float> draws_;
    MixingRandom fallback_{0x5EED, [] { return std::uint64_t{42}; }};
};

class RecordingSound final : public SoundPlayer {
public:
    void play(SoundEffect effect) override { played.push_back(effect); }
    std::vector<SoundEffect> played;
};

// Thrown by RecordingProgram so that a test sees the program end where the real one would stop.
struct ProgramEnded {
    int status;
};

// Records the first end; throws ProgramEnded unless told to return, as a test that goes through
// Qt's event loop needs.
class RecordingProgram final : public ProgramControl {
public:
    void endProgram(int status) override;
    std::optional<int> endedWith;
    bool throws = true;
};

// A full set of doubles for a game under test.
struct TestWorld {
    ScriptedDialogs dialogs;
    ScriptedRandom random;
    RecordingSound sound;
    RecordingProgram program;

    Services services() { return {dialogs, random, sound, program}; }

    // Forgets what has been shown, drawn and played so far.
    void forget() {
        dialogs.shown.clear();
        random.events.clear();
        sound.played.clear();
    }
};

} // namespace brivadoro::testing
