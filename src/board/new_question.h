#pragma once

#include "toolkit/int16.h"

namespace brivadoro {

class RandomSource;
class Tavola;

struct QuestionDigits {
    Int16 first;  // 1 to 9
    Int16 second; // 0 to 9
};

// The start of every new question: clears the message, reseeds from the clock, draws the two digits
// (a first digit of 0 is drawn again) and shows them with the pattern "#0". The caller draws the
// backdrop for the digits returned.
QuestionDigits askNewQuestion(Tavola& board, RandomSource& random);

} // namespace brivadoro
