#include "new_question.h"

#include "tavola.h"
#include "toolkit/number_text.h"
#include "toolkit/random_source.h"

namespace brivadoro {

namespace {
constexpr int kDigitRange = 10;

Int16 drawDigit(RandomSource& random) {
    return Int16::floored(kDigitRange * double(random.draw()));
}
} // namespace

QuestionDigits drawQuestionDigits(RandomSource& random) {
    random.reseedFromClock();
    Int16 first = drawDigit(random);
    while (first == 0)
        first = drawDigit(random);
    return {first, drawDigit(random)};
}

void showQuestionDigits(Tavola& board, QuestionDigits digits) {
    board.lblNum1().setCaption(patternOneDigit(digits.first.value()));
    board.lblNum2().setCaption(patternOneDigit(digits.second.value()));
}

} // namespace brivadoro
