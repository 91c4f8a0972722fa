#pragma once

#include "toolkit/int16.h"

namespace brivadoro {

class RandomSource;
class Tavola;

struct QuestionDigits {
    Int16 first;  // 1 to 9
    Int16 second; // 0 to 9
};

// Reseeds from the clock and draws the question's two digits; a first digit of 0 is drawn again.
QuestionDigits drawQuestionDigits(RandomSource& random);

// Writes the digits into the two digit labels with the pattern "#0".
void showQuestionDigits(Tavola& board, QuestionDigits digits);

} // namespace brivadoro
