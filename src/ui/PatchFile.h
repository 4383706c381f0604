#pragma once

#include <QString>
#include <string_view>

#include "formats/ModelPatch.h"

namespace cvx {

// The first bytes of every mod patch (.cvxpatch). The window program takes a file that starts
// with them for a patch whatever its name, as a mail program or a download may have renamed it.
inline constexpr std::string_view kPatchSignature = ModelPatch::kSignature;

// True when the file `path` is a mod patch: named *.cvxpatch (in any case), or starting with
// kPatchSignature. A file that cannot be read is a patch by its name only.
bool isPatchFile(const QString& path);

}  // namespace cvx
