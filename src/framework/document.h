#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace quorbel {

// The long work running on a document while the window answers: an edit or effect, or the
// opening or saving of its file. A document runs one at a time; meanwhile its commands are
// refused, and closing it asks first.
struct DocumentWork {
    std::string name;              // as the status bar and the close question name it
    std::function<int()> percent;  // how far it is
    std::function<void()> cancel;  // asks it to stop; empty when it cannot be stopped
};

// The framework side of a document: its title, path name and modified flag.
class CDocument {
  public:
    virtual ~CDocument() = default;

    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& title) {
        m_strTitle = title;
        OnDocumentChanged();
    }
    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& path) {
        m_strPathName = path;
        OnDocumentChanged();
    }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) {
        m_bModified = modified;
        OnDocumentChanged();
    }

    // The long work running on the document now, or null.
    const DocumentWork* RunningWork() const { return m_work ? &*m_work : nullptr; }
    // The work that now runs on the document, until EndWork.
    void BeginWork(DocumentWork work) { m_work = std::move(work); }
    void EndWork() { m_work.reset(); }

    virtual bool OnNewDocument() { return true; }
    virtual bool OnOpenDocument(const std::string& path) = 0;
    virtual bool OnSaveDocument(const std::string& path) = 0;

  protected:
    // The title, path name or modified flag was set (perhaps to what it was).
    virtual void OnDocumentChanged() {}

  private:
    std::optional<DocumentWork> m_work;
    std::string m_strTitle;
    std::string m_strPathName;
    bool m_bModified = false;
};

}  // namespace quorbel
