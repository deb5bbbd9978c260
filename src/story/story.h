#pragma once

#include "engine/rules.h"
#include "story/flags.h"

namespace tarnvale {

// The whole story: the location scripts and the rules valid everywhere.
const Story &tarnvaleStory();

namespace story {

const RuleTable &streetRules();     // location 0
const RuleTable &shopRules();       // location 1
const RuleTable &alleyRules();      // location 2
const RuleTable &cornerRules();     // location 3
const RuleTable &roomRules();       // location 4, while away from the computer
const RuleTable &computerRules();   // location 4, always
const RuleTable &everywhereRules(); // after the location's script, in every location

// What the machine says in this story: the default reply, the closing lines
// of a lost game, the counters' words and the difficulty.
extern const Wording kWords;

// The computer's password prompt: the answer to one attempt.
void checkPassword(Scene &game, std::u16string_view attempt);

} // namespace story
} // namespace tarnvale
