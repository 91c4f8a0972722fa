#include "doubles.h"

namespace brivadoro::testing {

BoxAnswer ScriptedDialogs::next(int fallbackButton) {
    if (script_.empty())
        return {fallbackButton, {}, {}};
    BoxAnswer reply = std::move(script_.front());
    script_.pop_front();
    return reply;
}

int ScriptedDialogs::messageBox(const QString& text, int style, const QString& title) {
    shown.push_back(
        {ShownBox::Kind::Message, text, style, title.isEmpty() ? QString::fromUtf8(kAppTitle) : title});
    const bool yesNo = (style & 0x0F) == MessageStyle::YesNo;
    BoxAnswer reply = next(yesNo ? MessageAnswer::No : MessageAnswer::Ok);
    if (reply.whileOpen)
        reply.whileOpen();
    return reply.button;
}

QString ScriptedDialogs::inputBox(const QString& prompt) {
    shown.push_back({ShownBox::Kind::Input, prompt, 0, QString::fromUtf8(kAppTitle)});
    BoxAnswer reply = next(MessageAnswer::Ok);
    if (reply.whileOpen)
        reply.whileOpen();
    return reply.text;
}

float ScriptedRandom::draw() {
    float value = 0;
    if (draws_.empty()) {
        value = fallback_.draw();
    } else {
        value = draws_.front();
        draws_.pop_front();
    }
    events.push_back({Event::Kind::Draw, value});
    return value;
}

void ScriptedRandom::reseedFromClock() {
    events.push_back({Event::Kind::ReseedFromClock, 0});
}

void ScriptedRandom::reseed(double number) {
    fallback_.reseed(number);
    events.push_back({Event::Kind::Reseed, number});
}

std::vector<double> ScriptedRandom::reseeds() const {
    std::vector<double> numbers;
    for (const Event& event : events) {
        if (event.kind == Event::Kind::Reseed)
            numbers.push_back(event.value);
    }
    return numbers;
}

void RecordingProgram::endProgram(int status) {
    if (!endedWith)
        endedWith = status;
    if (throws)
        throw ProgramEnded{status};
}

} // namespace brivadoro::testing
