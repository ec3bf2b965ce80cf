#include "audio/sound_history.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <set>
#include <utility>

namespace quorbel {

void SoundHistory::Reset(SoundVersion first) {
    m_versions.clear();
    m_versions.push_back(std::move(first));
    m_current = 0;
}

std::vector<SoundVersion> SoundHistory::CutAfterCurrent() {
    std::vector<SoundVersion> dropped;
    if (m_versions.empty()) return dropped;
    const auto firstRedo = m_versions.begin() + static_cast<std::ptrdiff_t>(m_current) + 1;
    std::move(firstRedo, m_versions.end(), std::back_inserter(dropped));
    m_versions.erase(firstRedo, m_versions.end());
    return dropped;
}

std::vector<SoundVersion> SoundHistory::Push(SoundVersion next) {
    std::vector<SoundVersion> dropped = CutAfterCurrent();
    m_versions.push_back(std::move(next));
    m_current = m_versions.size() - 1;
    return dropped;
}

bool SoundHistory::StepBack() {
    if (UndoSteps() == 0) return false;
    --m_current;
    return true;
}

bool SoundHistory::StepForward() {
    if (RedoSteps() == 0) return false;
    ++m_current;
    return true;
}

std::vector<SoundVersion> SoundHistory::CutBeforeCurrent() {
    std::vector<SoundVersion> dropped;
    const auto current = m_versions.begin() + static_cast<std::ptrdiff_t>(m_current);
    std::move(m_versions.begin(), current, std::back_inserter(dropped));
    m_versions.erase(m_versions.begin(), current);
    m_current = 0;
    return dropped;
}

SoundVersion* SoundHistory::Find(const std::string& file) {
    const auto found = std::ranges::find(m_versions, file, &SoundVersion::file);
    return found != m_versions.end() ? &*found : nullptr;
}

std::vector<SoundVersion> SoundHistory::TakeAll() {
    std::vector<SoundVersion> all = std::move(m_versions);
    m_versions.clear();
    m_current = 0;
    return all;
}

const SoundVersion* SoundHistory::UndoTarget() const {
    return UndoSteps() > 0 ? &m_versions[m_current - 1] : nullptr;
}

const SoundVersion* SoundHistory::RedoTarget() const {
    return RedoSteps() > 0 ? &m_versions[m_current + 1] : nullptr;
}

SoundVersion* SoundHistory::UndoTarget() {
    return UndoSteps() > 0 ? &m_versions[m_current - 1] : nullptr;
}

SoundVersion* SoundHistory::RedoTarget() {
    return RedoSteps() > 0 ? &m_versions[m_current + 1] : nullptr;
}

std::uint64_t SoundHistory::HeldBytes() const {
    if (m_versions.empty()) return 0;
    // Versions share bytes by reference (a Copy changes nothing, an Undo target may be the
    // very bytes a later version was made from): each allocation counts once.
    std::set<const std::uint8_t*> counted{Current().sound.data.data.get()};
    std::uint64_t bytes = 0;
    for (const SoundVersion& v : m_versions) {
        const std::uint8_t* first = v.sound.data.data.get();
        if (v.sound.data.size == 0 || !counted.insert(first).second) continue;
        bytes += v.sound.data.size;
    }
    return bytes;
}

std::vector<SoundVersion> SoundHistory::KeepWithin(const HistoryBudget& budget,
                                                   std::uint64_t freeDisk) {
    std::vector<SoundVersion> dropped;
    const std::uint64_t allowed = std::max(budget.minBytes, 2 * Current().sound.data.size);
    while (m_current > 0 && (HeldBytes() > allowed || freeDisk < budget.minFreeDisk)) {
        if (m_versions.front().ownFile) {
            const std::uint64_t freed = m_versions.front().sound.data.size;
            freeDisk = freed > UINT64_MAX - freeDisk ? UINT64_MAX : freeDisk + freed;
        }
        dropped.push_back(std::move(m_versions.front()));
        m_versions.erase(m_versions.begin());
        --m_current;
    }
    return dropped;
}

}  // namespace quorbel
