#pragma once
// --data-root at any sensible level: the folder that stands for the campaign's
// data root (C:\Vantrel), the folder holding it, or the drive-letter level
// above that (the generator's --root).

#include <string>

#include "input/campaign.hpp"
#include "platform/windows_path.hpp"

namespace field {

/// The mapper that puts `given` where the campaign's inputs are found: `given` as the data
/// root itself, as the folder holding it, or as the folder holding its drive letter, the
/// first level where any input of the campaign exists. When none does, the first level, and
/// `note` names the folder looked for and the levels tried (else `note` is empty).
PathMapper mapDataRoot(const PathMapper& environment, const std::string& given, const Campaign& campaign,
                       std::string& note);

}  // namespace field
