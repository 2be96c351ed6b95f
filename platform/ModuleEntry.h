#pragma once
// The library's own load and unload handlers. A DLL / shared object that links
// the platform's module entry (karvo_module_entry) defines both; the platform
// calls ModuleAttach when the process loads the library (on the loading
// thread) and ModuleDetach when it unloads it. Neither may throw.
void ModuleAttach() noexcept;
void ModuleDetach() noexcept;
