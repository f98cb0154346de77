// The window's skin and its picture buttons.
#pragma once

class QWidget;

namespace zu {

// Start-up: Qt's own texts (the question boxes' 是/否, the edit boxes'
// menus) in Simplified Chinese, when the translations are installed. Needs the
// application object; once per process.
void InstallChineseQtTexts();
// Start-up: both in-memory instances of the skin library map the carried image.
void LoadSkinLibraries();
// Window created: the skin attached and the title and menu bar skinned.
void AttachSkin(QWidget* window);
// Window created: every picture button of the main window gets its pictures.
void SetupWindowImageButtons(QWidget* window);
// The help panel toggle's pictures for an open or a closed panel.
void SetHelpToggleImages(QWidget* window, bool panelOpen);
// The voice status icon: a tick when voices are available, else an exclamation mark.
void SetVoiceStatusImage(QWidget* window, bool available);

}  // namespace zu
