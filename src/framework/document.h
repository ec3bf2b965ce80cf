#pragma once

#include <string>

namespace quorbel {

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

    virtual bool OnNewDocument() { return true; }
    virtual bool OnOpenDocument(const std::string& path) = 0;
    virtual bool OnSaveDocument(const std::string& path) = 0;

  protected:
    // The title, path name or modified flag was set (perhaps to what it was).
    virtual void OnDocumentChanged() {}

  private:
    std::string m_strTitle;
    std::string m_strPathName;
    bool m_bModified = false;
};

}  // namespace quorbel
