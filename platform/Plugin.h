#pragma once
// The plug-in contract: a DLL (POSIX: a shared object named .dll) exporting
// exactly one function, _Execute, called once on a thread the host made for
// it, with the plug-in's stop event (a manual-reset event named after the
// plug-in's file name). The plug-in returns once the event is set and never
// closes it; plat::TEvent::Borrow gives it a non-owning view.
//
//   KARVO_PLUGIN_EXPORT void KARVO_PLUGIN_CALL _Execute(void* stopEvent) { ... }
//
// Windows: cdecl (the caller removes the argument), exported undecorated.
// No exception may leave _Execute.

#if defined(_WIN32)
#define KARVO_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#define KARVO_PLUGIN_CALL __cdecl
#else
#define KARVO_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#define KARVO_PLUGIN_CALL
#endif

namespace plat {

// The name the host looks the entry up by.
constexpr const char* PluginEntryName = "_Execute";

using TPluginExecute = void(KARVO_PLUGIN_CALL*)(void* stopEvent);

}  // namespace plat
