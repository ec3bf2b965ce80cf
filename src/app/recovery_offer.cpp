// The offer, at start, of what programs that are gone left unsaved.

#include <new>

#include "app/child_frame.h"
#include "app/main_frame.h"
#include "app/message_boxes.h"
#include "app/quorbel_app.h"
#include "audio/quorbel_doc.h"
#include "audio/recovered_sound.h"
#include "audio/recovery_texts.h"
#include "res/strings.h"
#include "res/wave_messages.h"
#include "wavefile/session_folder.h"

namespace quorbel {
namespace {

std::string nameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The sounds the question offers: each document's noted sound, and each file found beside a
// note that could not be used.
std::size_t countOffered(const std::vector<LeftSession>& left) {
    std::size_t offered = 0;
    for (const LeftSession& session : left) {
        for (const LeftDocument& document : session.documents) {
            if (HoldsUnsavedSound(document)) {
                ++offered;
            } else if (!document.superseded && !document.note) {
                offered += FilesBesideNote(document).size();
            }
        }
    }
    return offered;
}

}  // namespace

void CQuorbelApp::OfferRecovery() {
    if (session_ == nullptr) return;
    std::vector<LeftSession> left;
    for (const std::string& parent : SessionParents()) {
        for (LeftSession& session : FindLeftSessions(parent, session_->path()))
            left.push_back(std::move(session));
    }
    PassOverCutShortRecoveries(left);
    const std::size_t unsaved = countOffered(left);
    BoxAnswer answer = BoxAnswer::No;
    if (unsaved > 0) {
        answer = showMessageBox(mainFrame_.get(),
                                "Quorbel found " + std::to_string(unsaved) +
                                    " unsaved sound(s) from a session that did not end normally. "
                                    "Recover them?",
                                kAppTitle, BoxIcon::Question, BoxButtons::YesNoCancel);
    }
    if (answer == BoxAnswer::Cancel) return;  // the locks go with `left`: kept for later
    bool keptAny = false;
    for (LeftSession& session : left) {
        bool keep = false;
        std::vector<std::string> unread;
        for (const LeftDocument& document : session.documents) {
            const LeftOutcome outcome = RecoverLeftDocument(document, answer == BoxAnswer::Yes);
            keep = keep || outcome == LeftOutcome::Keep;
            if (outcome == LeftOutcome::SetAside) unread.push_back(document.folder);
            // Only once the new window's note names the sound where it is now.
            if (outcome == LeftOutcome::Done) RemoveFolder(document.folder);
        }
        // What could not be read is moved where no start looks again, and said once.
        for (const std::string& folder : unread) {
            if (keep) break;
            Expected<std::string> aside = SetAsideFolder(folder);
            keep = !aside;
            showMessageBox(mainFrame_.get(),
                           aside ? KeptAsideText(*aside) : KeptInPlaceText(folder), kAppTitle,
                           BoxIcon::Warning);
        }
        if (keep) {
            keptAny = true;
        } else {
            RemoveFolder(session.path);
        }
    }
    if (!keptAny) onActiveFrameChanged();
}

CQuorbelApp::LeftOutcome CQuorbelApp::RecoverLeftDocument(const LeftDocument& document,
                                                          bool offer) {
    // Saved (or taken up already): nothing is lost with the folder.
    if (document.superseded || (document.note && !document.note->modified)) {
        return LeftOutcome::Done;
    }
    if (document.note && !HoldsUnsavedSound(document)) return LeftOutcome::Done;
    if (!offer) return LeftOutcome::Done;
    try {
        if (document.note) {
            const std::string& name = document.note->title;
            RecoveredSound recovered;
            const WaveError error = RecoverSound(document, recovered);
            if (!error) {
                if (!OpenRecovered("Recovered - " + name, recovered, document.folder))
                    return LeftOutcome::Keep;
                if (!recovered.cutFiles.empty())
                    showMessageBox(mainFrame_.get(), CutShortText(name, recovered), kAppTitle,
                                   BoxIcon::Warning);
                return LeftOutcome::Done;
            }
            // What the note cannot put together is offered file by file below.
            showMessageBox(mainFrame_.get(),
                           "Cannot recover " + name + ". " + MessageFor(*error).text, kAppTitle,
                           BoxIcon::Warning);
        }
        // Each sound file the folder holds comes back under its own name; whatever is not one
        // is kept.
        bool unread = false;
        for (const std::string& file : FilesBesideNote(document)) {
            RecoveredSound found;
            if (readSoundFile(file, found.sound)) {
                unread = true;
                continue;
            }
            found.file = file;
            if (!OpenRecovered("Recovered - " + nameOf(file), found, file))
                return LeftOutcome::Keep;
        }
        return unread ? LeftOutcome::SetAside : LeftOutcome::Done;
    } catch (const std::bad_alloc&) {
        const std::string name = document.note ? document.note->title : document.folder;
        showMessageBox(mainFrame_.get(),
                       "Not enough memory to recover " + name + ". It is kept for the next start.",
                       kAppTitle, BoxIcon::Warning);
        return LeftOutcome::Keep;
    }
}

bool CQuorbelApp::OpenRecovered(const std::string& title, const RecoveredSound& recovered,
                                const std::string& from) {
    auto doc = std::make_unique<CQuorbelDoc>(context_);
    // A sound that cannot be opened now (no memory, no room for its working file) stays
    // where it is for a later start.
    return doc->OnRecoverDocument(title, recovered.sound, recovered.file, from) &&
           createFrame(std::move(doc)) != nullptr;
}

}  // namespace quorbel
