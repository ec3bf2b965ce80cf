#include "audio/recovery_texts.h"

#include <cstdio>

namespace quorbel {

std::string CutShortText(const std::string& name, const RecoveredSound& recovered) {
    std::string files;
    for (const std::string& file : recovered.cutFiles) files += (files.empty() ? "" : ", ") + file;
    const StreamFormat& format = recovered.sound.format;
    const double perSecond = static_cast<double>(format.bytesPerFrame()) * format.sampleRate;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f",
                  perSecond > 0 ? static_cast<double>(recovered.lostBytes) / perSecond : 0.0);
    return "Part of " + name + " could not be recovered: another program cut short " +
           (recovered.cutFiles.size() == 1 ? "its working file " : "its working files ") + files +
           ". " + seconds + " seconds of sound (" + std::to_string(recovered.lostBytes) +
           " bytes) are lost; the rest is in the recovered window.";
}

std::string KeptAsideText(const std::string& folder) {
    return "Quorbel could not read some files a session that did not end normally left, so it "
           "kept them in " +
           folder +
           " and will not look there again. Open them with another program, or delete the "
           "folder once you no longer need them.";
}

std::string KeptInPlaceText(const std::string& folder) {
    return "Quorbel could not read some files a session that did not end normally left in " +
           folder + ". They stay there; this is said again at the next start.";
}

}  // namespace quorbel
