#pragma once
// The photo window's question when a camera's clock looks set to another
// time zone than the one the photos are matched with, and what a Yes does.

#include <optional>
#include <string>
#include <vector>

#include "photo/clock_finder.h"
#include "ui/user_dialogs.h"

namespace vantora {

// "撮影時刻のタイムゾーンを +10 にすると、40枚のうち38枚がログの範囲に入ります
// （今は0枚）。タイムゾーンを変更しますか？", or with several cameras one line
// for each camera's proposal.
std::string clockQuestionJapanese(const std::vector<ClockProposal>& proposals);

// Looks for cameras whose photos fit the track better in another zone; asks
// the user once (Yes/No) when there are any, and on Yes matches each such
// camera's photos by its proposed clock (the others by `offset`). True
// after a Yes: the list was matched again.
bool offerCameraClocks(UserDialogs& dialogs, PhotoList& list, const UtcOffset& offset);

// The zone to hand back to the import window: the clock the user took for
// a camera, when that camera took every photo of the list and the
// time-zone dialog can hold the zone. Empty otherwise, so that no other
// camera's photos move with it.
std::optional<UtcOffset> zoneTakenForWholeList(const PhotoList& list);

}  // namespace vantora
