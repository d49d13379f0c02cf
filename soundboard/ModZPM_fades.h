// The presses that mix, fade and step: jingles and one-shots on the second
// player over the main one, talk-over mode with its ramp, the fade-out and
// the fade over to another button, and the steps through the running
// playlist. ButtonAction decides which one a press means; each takes the
// pressed button's Image1 index.
#pragma once

#include <chrono>
#include <cstdint>

// How long the main player takes to go down or up by talk-over mode's
// toggle, and by each of a one-shot's two ramps.
inline constexpr std::chrono::milliseconds TalkOverRampTime{1000};
inline constexpr int TalkOverRampSteps = 15;
inline constexpr std::chrono::milliseconds OneShotRampTime{500};
inline constexpr int OneShotRampSteps = 10;

// Plays the button's sound on the second player and waits for its end.
void PlayJingle(std::int16_t Index);
// Fades the main player out, the pressed button blinking.
void FadeOut(std::int16_t Index);
// Talk-over mode on or off; a sounding main player is ramped down or up.
void ToggleTalkOver();
// The next or previous entry of the running playlist, wrapping at its ends,
// from the button whose list runs.
void NextEntry(std::int16_t Index);
void PreviousEntry(std::int16_t Index);
// Plays the button's sound once on the second player with the main player
// lowered meanwhile.
void PlayOneShot(std::int16_t Index);
// Fades the current sound out, then starts the pressed button's. Index is
// read afresh after the wait: it may be iCurBtn itself.
void FadeOver(std::int16_t& Index);
