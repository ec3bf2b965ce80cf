#pragma once

#include <cstdint>
#include <string>

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

    std::uint32_t m_wDeviceID = 0;
    std::string m_strFileName;
    // The working files the view made for this document's recordings and edits; removed when
    // the document goes, after its device is closed.
    WorkingFiles m_workingFiles;

  private:
    // Shows the device's text for `code` in an "Error" box without an owner window.
    void ShowDeviceError(unsigned code);

    AppContext& m_context;
};

}  // namespace quorbel
