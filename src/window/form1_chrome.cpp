// Form1: dragging by the mascot, the resize grip, full screen and the tray icon.
#include "form1.h"

#include "widgets.h"

namespace tibbo::window {

void Form1::Image1_MouseDown(Qt::MouseButton, QPointF) {}
void Form1::Image1_MouseMove(Qt::MouseButtons, QPointF) {}
void Form1::Image1_MouseUp(Qt::MouseButton, QPointF) {}
void Form1::Image18_MouseDown(Qt::MouseButton, QPointF) {}
void Form1::Image18_MouseMove(Qt::MouseButtons, QPointF) {}
void Form1::Image18_MouseUp(Qt::MouseButton, QPointF) {}
void Form1::Image14_Click() {}
void Form1::TrayIcon1_Show() {}
void Form1::TrayIcon1_Menu() {}
bool Form1::isFullScreenCaption() const { return false; }
void Form1::hideToTray() {}
void Form1::applyWindowState(int) {}

} // namespace tibbo::window
