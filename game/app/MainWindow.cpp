#include "game/app/MainWindow.h"

#include "game/PlayerRecord.h"
#include "game/app/Input.h"
#include "game/app/YourView.h"
#include "platform/Console.h"
#include "platform/MessageBox.h"

namespace {
platform::InstanceHandle g_instance = 0;
platform::WindowHandle g_mainWindow = 0;
platform::CursorHandle g_gameCursor = 0;
}  // namespace

const char* const kGameTitle = "Yvek";
const char* const kGameIcon = "yvek.ico";

void SetAppInstance(platform::InstanceHandle instance) { g_instance = instance; }

platform::InstanceHandle GetAppInstance() { return g_instance; }

WindowPlacement PlaceCentred(const platform::Rect& outer, const platform::Rect& workArea) {
  WindowPlacement placement;
  if (outer.width() < workArea.width() && outer.height() < workArea.height()) {
    placement.x = (workArea.width() - outer.width()) / 2;
    placement.y = (workArea.height() - outer.height()) / 2;
  } else {
    placement.maximise = true;
  }
  return placement;
}

// Centres the window for an inner area of width x height, or maximises it.
static void PlaceWindow(platform::WindowHandle window, int width, int height) {
  platform::Rect client;
  client.right = width;
  client.bottom = height;
  const platform::Rect outer = platform::AdjustWindowRect(client);
  const WindowPlacement placement = PlaceCentred(outer, platform::GetWorkArea());
  if (placement.maximise) {
    platform::MaximizeWindow(window);
  } else {
    platform::RestoreWindow(window);
    platform::MoveWindow(window, placement.x, placement.y, outer.width(), outer.height());
  }
}

void LoadGameCursor(const std::string& fileName) {
  g_gameCursor = platform::LoadCursorFromFile(fileName);
  // Without a cursor file the default pointer stays (never an invisible one).
  if (!g_gameCursor) platform::ConsolePrint("cursor file %s not loaded: using the default pointer\n", fileName.c_str());
}

platform::WindowHandle CreateMainWindow() {
  LoadGameCursor("cursor.cur");
  g_mainWindow = platform::CreateAppWindow(kGameTitle, kWindowWidth, kWindowHeight, MainWndProc);
  if (!g_mainWindow) {
    platform::ShowMessageBox("不能创建主程序窗口", "Error");
    return 0;
  }
  PlaceWindow(g_mainWindow, kWindowWidth, kWindowHeight);
  platform::SetWindowTimer(g_mainWindow, 15);
  platform::SetCursor(g_mainWindow, g_gameCursor);
  // The big and the small icon, both from the one file.
  if (!platform::SetWindowIcon(g_mainWindow, kGameIcon))
    platform::ConsolePrint("icon file %s not loaded: the window has no icon\n", kGameIcon);
  return g_mainWindow;
}

platform::WindowHandle GetMainWindow() { return g_mainWindow; }

int RunMessageLoop() {
  platform::Message message;
  while (platform::GetMessage(message)) platform::DispatchMessage(message);
  if (!PlayerName.empty() && CYourView::GetSingletonPtr())
    CYourView::GetSingletonPtr()->SavePlayerRecord(PlayerName);
  return static_cast<int>(message.wParam);
}

intptr_t MainWndProc(platform::WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
  using namespace platform;
  CYourView* view = CYourView::GetSingletonPtr();
  CGAInput* input = CGAInput::GetSingletonPtr();
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    case WM_SIZE:
      if (view) view->OnSize();
      break;
    case WM_PAINT:
      ConsolePrint("从新绘制 \n");
      if (view) view->OnPaint();
      break;
    case WM_SETCURSOR:
      SetCursor(window, g_gameCursor);
      break;
    case WM_CHAR:
      if (input) input->OnChar(static_cast<unsigned char>(wParam));
      break;
    case WM_SYSKEYDOWN:
      if (wParam == VK_MENU) return 0;  // Alt alone does nothing
      break;
    case WM_IME_STARTCOMPOSITION:
      if (input) input->SetComposing(true);
      break;
    case WM_IME_ENDCOMPOSITION:
      if (input) input->SetComposing(false);
      break;
    case WM_TIMER:
      if (view) view->UpdateFrame();
      break;
    case WM_MOUSEMOVE:
      if (input) input->OnMouseMove(LoWord(lParam), HiWord(lParam));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (input) input->OnMouseDown(0);
      break;
    case WM_LBUTTONUP:
      if (input) input->OnMouseUp(0);
      break;
    case WM_RBUTTONDOWN:
      if (input) input->OnMouseDown(1);
      break;
    case WM_RBUTTONUP:
      if (input) input->OnMouseUp(1);
      break;
    default:
      break;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

void CYourView::SetFullScreen(bool on) {
  if (on) {
    const platform::Rect outer = platform::AdjustWindowRect(platform::GetScreenRect());
    platform::RestoreWindow(g_mainWindow);
    platform::MoveWindow(g_mainWindow, outer.left, outer.top, outer.width(), outer.height());
  } else {
    platform::MaximizeWindow(g_mainWindow);
  }
}

void CYourView::SetWindowedSize(int width, int height) {
  const platform::Rect client = platform::GetClientRect(g_mainWindow);
  if (client.width() == width && client.height() == height) return;
  PlaceWindow(g_mainWindow, width, height);
}
