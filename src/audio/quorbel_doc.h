#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "audio/sound_file_reader.h"
#include "framework/app_context.h"
#include "framework/document.h"
#include "wavefile/working_files.h"

namespace quorbel {

// One wave file or new recording. The document holds no samples: its sound lives in the
// wave-audio device, which it opens on the file (or an empty sound), saves through, and
// closes when it is destroyed.
class CQuorbelDoc : public CDocument {
  public:
    explicit CQuorbelDoc(AppContext& context);
    ~CQuorbelDoc() override;

    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    bool OnSaveDocument(const std::string& path) override;

    AppContext& context() const { return m_context; }

    // Writes `sound` to a new working file named with `prefix` (no flush: the sound is in
    // memory as well). The file's name, or the fault that says why it could not be written;
    // a failed write leaves no file behind.
    Expected<std::string> WriteWorkingFile(std::string_view prefix, const LoadedSound& sound);

    std::uint32_t m_wDeviceID = 0;
    std::string m_strFileName;
    // The working files of this document's sound and of its Undo; removed when the document
    // goes, after its device is closed.
    WorkingFiles m_workingFiles;

  private:
    // Shows the device's text for `code` in an "Error" box without an owner window.
    void ShowDeviceError(unsigned code);

    AppContext& m_context;
};

}  // namespace quorbel
