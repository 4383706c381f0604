#include <windows.h>
// After windows.h.
#include <shobjidl.h>

#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/FileDialogRequest.h"

namespace cvx {
namespace {

// A COM interface, released when it goes.
template <typename T>
struct Com {
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p != nullptr) {
            p->Release();
        }
    }
    T* operator->() const { return p; }
};

}  // namespace

// Windows' own file dialog, called directly rather than through QFileDialog: a QFileDialog keeps
// its state under HKEY_CURRENT_USER\Software\QtProject (it makes the key as it is made, and
// writes its last folder there as it goes), where the portable program must write nothing and
// which no uninstaller would remove. The dialog remembers recent folders itself, as Windows does
// for every program.
QString chooseWithPlatformDialog(QWidget* parent, const FileDialogRequest& request) {
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    Com<IFileDialog> dialog;
    if (FAILED(::CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                  CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.p)))) {
        return {};
    }
    // "Models (*.p *.q)" becomes the name as it stands and the patterns "*.p;*.q".
    const QStringList filters = request.filter.split(QStringLiteral(";;"));
    std::vector<std::wstring> texts;
    for (const QString& filter : filters) {
        texts.push_back(filter.toStdWString());
        texts.push_back(filter.section(u'(', -1).chopped(1).replace(u' ', u';').toStdWString());
    }
    std::vector<COMDLG_FILTERSPEC> types;
    for (std::size_t i = 0; i < texts.size(); i += 2) {
        types.push_back({texts[i].c_str(), texts[i + 1].c_str()});
    }
    dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data());
    dialog->SetTitle(request.title.toStdWString().c_str());
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    // A chosen file goes into no list of recent items (links in the user's profile) either.
    options |= FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR | FOS_PATHMUSTEXIST | FOS_DONTADDTORECENT;
    options = save ? options & ~FOS_OVERWRITEPROMPT : options | FOS_FILEMUSTEXIST;
    dialog->SetOptions(options);
    if (!request.directory.isEmpty()) {
        Com<IShellItem> folder;
        if (SUCCEEDED(::SHCreateItemFromParsingName(request.directory.toStdWString().c_str(),
                                                    nullptr, IID_PPV_ARGS(&folder.p)))) {
            dialog->SetFolder(folder.p);
        }
    }
    // Modal to the window it belongs to; cancelled, it gives no path.
    const HWND owner = parent ? reinterpret_cast<HWND>(parent->window()->winId()) : nullptr;
    Com<IShellItem> chosen;
    PWSTR path = nullptr;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(&chosen.p)) ||
        FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        return {};
    }
    const QString result = QString::fromWCharArray(path);
    ::CoTaskMemFree(path);
    return result;
}

}  // namespace cvx
