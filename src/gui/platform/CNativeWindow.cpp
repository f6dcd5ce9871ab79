#include "platform/CNativeWindow.h"

#include <wx/window.h>

#ifdef __WXGTK__
#include <dlfcn.h>
#endif

namespace {

#ifdef __WXGTK__
// GTK is loaded with wx; the program is built without GTK's headers, so the functions are looked
// up by name, once.
template <typename Function>
Function GtkFunction(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}
#endif

} // namespace

bool CNativeWindow::CloseNativeDialog(wxWindow* window)
{
#ifdef __WXGTK__
    using Respond = void (*)(void* dialog, int response);
    static const auto respond = GtkFunction<Respond>("gtk_dialog_response");
    const int kClosedByWindowManager = -4; // GTK_RESPONSE_DELETE_EVENT
    if (respond && window && window->GetHandle()) {
        respond(window->GetHandle(), kClosedByWindowManager);
        return true;
    }
#else
    (void)window;
#endif
    return false;
}

bool CNativeWindow::DetachFromModalGroup(wxWindow* window)
{
#ifdef __WXGTK__
    using NewGroup = void* (*)();
    using AddWindow = void (*)(void* group, void* window);
    using Unref = void (*)(void*);
    static const auto newGroup = GtkFunction<NewGroup>("gtk_window_group_new");
    static const auto addWindow = GtkFunction<AddWindow>("gtk_window_group_add_window");
    static const auto unref = GtkFunction<Unref>("g_object_unref");
    if (!newGroup || !addWindow || !unref || !window || !window->GetHandle())
        return false;
    void* group = newGroup();
    addWindow(group, window->GetHandle());
    unref(group); // the window holds the group now
    return true;
#else
    (void)window;
    return false;
#endif
}
