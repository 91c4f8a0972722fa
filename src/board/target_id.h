#pragma once

#include <array>

#include <QStringView>

namespace brivadoro {

enum class TargetId { paricmd, paricmd1, paricmd2, disparicmd, disparicmd1, disparicmd2 };
inline constexpr std::array kAllTargets{TargetId::paricmd,    TargetId::paricmd1,    TargetId::paricmd2,
                                        TargetId::disparicmd, TargetId::disparicmd1, TargetId::disparicmd2};

// The names of the targets' buttons on the board, in the order of TargetId.
inline constexpr std::array<QStringView, kAllTargets.size()> kTargetNames{
    u"paricmd", u"paricmd1", u"paricmd2", u"disparicmd", u"disparicmd1", u"disparicmd2"};

} // namespace brivadoro
