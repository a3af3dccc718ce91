#include "platform/MessageWindow.h"

#include "UniqueWindow.h"
#include "WindowClassUse.h"
#include "platform/LastError.h"
#include "platform/PlatformError.h"

#include <optional>
#include <windows.h>

// The system's header makes FindWindow a macro for its A/W pair; ours is a function of its own.
#undef FindWindow

struct MessageWindow::Impl
{
    std::string ClassName;
    std::string WindowName;
    WindowProcedure Procedure;
    // Declared before the window: the class goes only after its window.
    std::optional<WindowClassUse> Class;
    UniqueWindow Window;
};

namespace {

// Handles travel as 32-bit values; the system keeps a window handle's upper half a sign extension
// of its lower one, so nothing is lost either way.
WindowHandle ToHandle(HWND window)
{
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

HWND ToWindow(WindowHandle handle)
{
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

// Hands a WM_COPYDATA to the window's procedure. The procedure is copied first, as it may destroy
// its window (and with it the Impl). An exception cannot travel through the system's frames back
// to the sender's side, so one that reaches here ends the program.
bool Deliver(HWND window, WPARAM sender, LPARAM data) noexcept
{
    const auto* self =
        reinterpret_cast<const MessageWindow::Impl*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(data);
    if (block == nullptr || block->cbData > kMaxMessageBytes)
        return false;
    if (self == nullptr)
        return true; // going away, or not ready yet: taken and dropped, as by a default procedure
    const WindowProcedure procedure = self->Procedure;
    if (procedure) {
        procedure(ToHandle(reinterpret_cast<HWND>(sender)), static_cast<std::uint32_t>(block->dwData),
                  std::string_view(static_cast<const char*>(block->lpData), block->cbData));
    }
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA:
        return Deliver(window, wParam, lParam) ? TRUE : FALSE;
    case WM_CLOSE:
        // Asked to close (as a task list asks a program's windows): the program is asked to end,
        // through its message loop. The window itself stays until its owner destroys it.
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

// The module our window procedure lives in, which owns the classes we register.
HINSTANCE OwnModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&WindowProc), &module);
    return module;
}

std::string ClassNameOf(HWND window)
{
    char name[257] = {};
    const int length = ::GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// For a window of another process the system hands out the text it keeps; it sends no message there.
std::string TextOf(HWND window)
{
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
    const int length = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

bool OfThisProcess(HWND window)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process == ::GetCurrentProcessId();
}

// Serves the messages sent to this thread's windows that are waiting, and leaves posted ones (a
// WM_QUIT among them) for the thread's message loop.
void ServeSentMessages()
{
    MSG message;
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

} // namespace

MessageWindow::MessageWindow(std::string_view className, std::string_view windowName,
                             WindowProcedure procedure)
    : FImpl(std::make_unique<Impl>())
{
    Impl& self = *FImpl;
    // The system's names end at a zero byte.
    self.ClassName = className.substr(0, className.find('\0'));
    self.WindowName = windowName.substr(0, windowName.find('\0'));
    self.Procedure = std::move(procedure);
    const HINSTANCE module = OwnModule();
    self.Class.emplace(self.ClassName, WindowProc, module);
    // A hidden top-level window, not a message-only one: FindWindowEx finds only those.
    self.Window.Reset(::CreateWindowExA(WS_EX_TOOLWINDOW, self.ClassName.c_str(), self.WindowName.c_str(),
                                        WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module, nullptr));
    if (!self.Window.Valid())
        throw PlatformError("Cannot create the window " + self.ClassName + ": " + LastErrorText());
    ::SetWindowLongPtrA(self.Window.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&self));
}

MessageWindow::~MessageWindow()
{
    // Messages that reach the window while it is destroyed find nothing to call.
    ::SetWindowLongPtrA(FImpl->Window.Get(), GWLP_USERDATA, 0);
    FImpl->Window.Reset();
}

WindowHandle MessageWindow::Handle() const
{
    return ToHandle(FImpl->Window.Get());
}

const std::string& MessageWindow::ClassName() const
{
    return FImpl->ClassName;
}

const std::string& MessageWindow::WindowName() const
{
    return FImpl->WindowName;
}

void MessageWindow::SetWindowProcedure(WindowProcedure procedure)
{
    FImpl->Procedure = std::move(procedure);
}

int MessageWindow::FileDescriptor() const
{
    return -1;
}

void MessageWindow::ServePending()
{
    ServeSentMessages();
}

WindowHandle FindWindow(std::string_view className, std::string_view windowName)
{
    if (className.find('\0') != std::string_view::npos || windowName.find('\0') != std::string_view::npos)
        return 0;
    const std::string wantedClass(className);
    const std::string wantedName(windowName);
    // The system compares names without regard to case; ours must be equal byte for byte.
    WindowHandle found = 0;
    for (HWND window = ::FindWindowExA(nullptr, nullptr, wantedClass.c_str(), wantedName.c_str());
         window != nullptr;
         window = ::FindWindowExA(nullptr, window, wantedClass.c_str(), wantedName.c_str())) {
        const WindowHandle handle = ToHandle(window);
        if (ClassNameOf(window) == wantedClass && TextOf(window) == wantedName &&
            (found == 0 || handle < found))
            found = handle;
    }
    return found;
}

bool IsWindow(WindowHandle handle)
{
    return handle != 0 && ::IsWindow(ToWindow(handle)) != FALSE;
}

SendResult Send(WindowHandle from, WindowHandle to, std::uint32_t dataWord, std::string_view bytes)
{
    if (to == 0)
        return SendResult::NoSuchWindow;
    if (bytes.size() > kMaxMessageBytes)
        return SendResult::TooLarge;
    const HWND destination = ToWindow(to);
    if (!::IsWindow(destination))
        return SendResult::NoSuchWindow;
    // The system copies the block only into another process; ours get a copy as well, as the
    // procedure's view must not change with what the sender does meanwhile.
    std::string copy;
    if (OfThisProcess(destination)) {
        copy.assign(bytes);
        bytes = copy;
    }
    COPYDATASTRUCT block{};
    block.dwData = dataWord;
    block.cbData = static_cast<DWORD>(bytes.size());
    block.lpData = const_cast<char*>(bytes.data());
    // Without a time limit, and serving what is sent to this thread meanwhile (SMTO_NORMAL): the
    // destination may send back before it answers. (Wine 8 never delivers a block of about 2 MiB
    // or more to another process, and such a send does not come back there.)
    DWORD_PTR answer = 0;
    const LRESULT sent =
        ::SendMessageTimeoutA(destination, WM_COPYDATA, reinterpret_cast<WPARAM>(ToWindow(from)),
                              reinterpret_cast<LPARAM>(&block), SMTO_NORMAL, INFINITE, &answer);
    // Our procedure answers TRUE once it has run; nothing comes back from a destination that went
    // away before it answered.
    return sent != 0 && answer == TRUE ? SendResult::Delivered : SendResult::Broken;
}

void ServeMessages(int timeoutMilliseconds)
{
    const DWORD timeout = timeoutMilliseconds < 0 ? INFINITE : static_cast<DWORD>(timeoutMilliseconds);
    if (::MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
        WAIT_OBJECT_0)
        ServeSentMessages();
}
