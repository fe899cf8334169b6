#pragma once
class QMouseEvent;
class QWidget;

// The main window's ways into the Orvabout library.

// Start-up, as the fifth window: the shared web-update window GetNewVers,
// owned by the main window so it lives until the end.
void createSharedUpdateWindow(QWidget *mainWindow);

// smNewVersClick: shows GetNewVers with CanInstall. True when the user started
// the new installer: the caller sets CancelRequested and ends the program at
// once, without writing the settings.
bool showSharedUpdateWindow();

// smAboutClick.
void showAboutBox();

// btOpenMouseDown: a right-button press shows the About box; true when it
// took the press, so no file dialog opens.
bool aboutOnRightPress(const QMouseEvent &event);

// smOrvhomeClick: the maker's home page through the desktop.
void openOrvHomePage();
