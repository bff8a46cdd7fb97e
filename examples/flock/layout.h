// Where things are and how big they are, shared by the game and the tool
// that draws its pictures, so the pictures fit what the game does with them.
#pragma once

namespace sheepdog {

constexpr int kWidth = 640, kHeight = 480;
constexpr float kPenX = 530, kPenY = 150, kPenRadius = 84;  // a round fence
constexpr float kGateDirection = 160, kGateHalfWidth = 24;  // the gap in it, in degrees about the centre
constexpr float kSheepRange = 11, kDogRange = 14;
constexpr int kSheepSize = 28, kDogSize = 34, kBarkSize = 120;
constexpr int kDogFrames = 4;  // the dog's sheet: its run, frame by frame from the left
constexpr int kPenSize = 2 * static_cast<int>(kPenRadius) + 16;

}  // namespace sheepdog
