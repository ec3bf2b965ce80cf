#include "audio/sound_history.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <set>
#include <span>
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

namespace {

// The blocks `versions` use, each once.
std::set<const SoundBlock*> BlocksOf(std::span<const SoundVersion> versions) {
    std::set<const SoundBlock*> blocks;
    for (const SoundVersion& v : versions) {
        for (const Piece& piece : v.sound.data.pieces()) {
            if (piece.block) blocks.insert(piece.block.get());
        }
    }
    return blocks;
}

}  // namespace

void NameByItsFile(SoundVersion& version) {
    const auto pieces = version.sound.data.pieces();
    if (pieces.size() == 1 && pieces[0].block && pieces[0].block->home.own &&
        pieces[0].length == pieces[0].block->bytes.size)
        version.file = pieces[0].block->home.file;
}

bool SoundHistory::Uses(const SoundBlock* block) const {
    return BlocksOf(m_versions).contains(block);
}

std::uint64_t SoundHistory::HeldBytes() const {
    if (m_versions.empty()) return 0;
    // Versions share blocks by reference (a Cut keeps the pieces around it, an Undo target may
    // be the very blocks a later version was made from): each block counts once.
    const std::set<const SoundBlock*> current = BlocksOf({&Current(), 1});
    std::uint64_t bytes = 0;
    for (const SoundBlock* block : BlocksOf(m_versions)) {
        if (!current.contains(block)) bytes += block->bytes.size;
    }
    return bytes;
}

std::vector<SoundVersion> SoundHistory::KeepWithin(const HistoryBudget& budget,
                                                   std::uint64_t freeDisk) {
    std::vector<SoundVersion> dropped;
    const std::uint64_t allowed = std::max(budget.minBytes, 2 * Current().sound.data.size());
    while (m_current > 0 && (HeldBytes() > allowed || freeDisk < budget.minFreeDisk)) {
        SoundVersion oldest = std::move(m_versions.front());
        m_versions.erase(m_versions.begin());
        --m_current;
        const std::set<const SoundBlock*> kept = BlocksOf(m_versions);
        for (const SoundBlock* block : BlocksOf({&oldest, 1})) {
            if (kept.contains(block) || !block->home.own) continue;
            const std::uint64_t freed = block->bytes.size;
            freeDisk = freed > UINT64_MAX - freeDisk ? UINT64_MAX : freeDisk + freed;
        }
        dropped.push_back(std::move(oldest));
    }
    return dropped;
}

}  // namespace quorbel
