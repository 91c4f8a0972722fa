#include "new_question.h"

#include "tavola.h"
#include "toolkit/number_text.h"
#include "toolkit/random_source.h"

namespace brivadoro {

namespace {
constexpr int kDigitRange = 10;

Int16 drawDigit(RandomSource& random) {
    return drawFloored(random, kDigitRange);
}
} // namespace

QuestionDigits askNewQuestion(Tavola& board, RandomSource& random) {
    board.lblMessage().setCaption({});
    random.reseedFromClock();
    Int16 first = drawDigit(random);
    while (first == 0)
        first = drawDigit(random);
    const QuestionDigits digits{first, drawDigit(random)};
    board.lblNum1().setCaption(patternOneDigit(digits.first.value()));
    board.lblNum2().setCaption(patternOneDigit(digits.second.value()));
    return digits;
}

} // namespace brivadoro
