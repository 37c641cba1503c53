#pragma once

#include <QMainWindow>
#include <QPointer>

// The controller of the main window "MainWindow". For now a plain Qt main
// window that carries the application's menus; the skinned window with its
// library, playback and download views takes its place later.
class MainWindowController {
 public:
  MainWindowController();
  ~MainWindowController();

  QMainWindow *window() { return fWindow; }
  void showWindow();

  bool currentlyPlayingMovies() const { return false; }
  bool inFullScreen() const { return false; }

 private:
  QPointer<QMainWindow> fWindow;
};
