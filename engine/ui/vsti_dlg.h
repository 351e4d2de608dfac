#pragma once

#include "engine/vst_plugin.h"

#include <QTimer>
#include <QWidget>

namespace rz {

// "VSTi": the modeless window that hosts a plug-in's own editor in a native
// child window. Closing it closes the editor; activate() opens it again.
// While the editor is open the plug-in is kept processed. GUI thread.
class CVstiDlg final : public QWidget, public IVstEditorWindow {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 476;
    static constexpr int kDefaultWidth = 640;
    static constexpr int kDefaultHeight = 480;
    // A larger editor is taken for a broken answer.
    static constexpr int kMaxSide = 8192;
    static constexpr int kKeepAwakeMs = 2000;

    CVstiDlg(CVstPlugin& plugin, const std::string& title, const ERect& rect);
    ~CVstiDlg() override;

    void activate() override;
    void resize(int width, int height) override;

    // The native window the plug-in draws into.
    QWidget* client() const { return m_client; }
    bool editorOpen() const { return m_open; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openEditor();
    void closeEditor();

    CVstPlugin& m_plugin;
    QWidget* m_client = nullptr;
    QTimer m_keepAwake;
    bool m_open = false;
};

// The program's editor windows. Without an X11 display (the offscreen
// platform) there is no native window to hand over, and none is made.
class VstEditorWindows final : public IVstEditorWindows {
public:
    std::unique_ptr<IVstEditorWindow> create(const std::string& title, CVstPlugin& plugin,
                                             const ERect& rect) override;
};

} // namespace rz
