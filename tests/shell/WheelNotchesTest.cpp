#include "shell/WheelNotches.h"

#include <gtest/gtest.h>

// Each row is one wheel message: its delta, the notches it completes and the remainder after it. The rows
// of a sequence run on one remainder.
TEST(WheelNotches, StepsOncePerWholeNotchAndKeepsTheRest) {
    struct Row {
        int32_t delta, notches, remainder;
    };
    struct Sequence {
        const char* name;
        Row rows[6];
        int count;
    };
    const Sequence sequences[] = {
        {"classic wheel", {{120, 1, 0}, {120, 1, 0}, {-120, -1, 0}}, 3},
        {"quarter notches forward", {{30, 0, 30}, {30, 0, 60}, {30, 0, 90}, {30, 1, 0}, {30, 0, 30}}, 5},
        {"quarter notches backward", {{-30, 0, -30}, {-30, 0, -60}, {-30, 0, -90}, {-30, -1, 0}}, 4},
        {"uneven pieces", {{50, 0, 50}, {100, 1, 30}, {89, 0, 119}, {1, 1, 0}}, 4},
        {"several notches at once", {{360, 3, 0}, {250, 2, 10}, {-250, -2, -10}}, 3},
        {"reversal drops the old rest", {{90, 0, 90}, {-40, 0, -40}, {-80, -1, 0}, {110, 0, 110}, {-119, 0, -119}}, 5},
        {"zero changes nothing", {{60, 0, 60}, {0, 0, 60}, {60, 1, 0}}, 3},
    };
    for (const Sequence& sequence : sequences) {
        int32_t remainder = 0;
        for (int i = 0; i < sequence.count; i++) {
            const Row& row = sequence.rows[i];
            EXPECT_EQ(takeWheelNotches(&remainder, row.delta), row.notches) << sequence.name << ", message " << i;
            EXPECT_EQ(remainder, row.remainder) << sequence.name << ", message " << i;
        }
    }
}

// Whatever the pieces, a long turn one way gives exactly its whole notches.
TEST(WheelNotches, PiecesAddUpToTheWholeTurn) {
    for (int32_t piece : {1, 7, 24, 30, 40, 119, 121, 240}) {
        for (int32_t sign : {1, -1}) {
            int32_t remainder = 0, notches = 0;
            for (int i = 0; i < 600; i++) notches += takeWheelNotches(&remainder, sign * piece);
            EXPECT_EQ(notches, sign * (600 * piece / kWheelNotch)) << "piece " << sign * piece;
            EXPECT_EQ(remainder, sign * (600 * piece % kWheelNotch)) << "piece " << sign * piece;
        }
    }
}
