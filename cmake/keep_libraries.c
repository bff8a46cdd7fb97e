/* Part of the engine in the sanitizer build only. Libraries that SDL loads
   at run time (X11 extensions, D-Bus) keep allocations in their own globals;
   SDL unloads them at SDL_Quit, which leaves those allocations looking leaked,
   with stacks that cannot be symbolised. Keeping every library mapped until
   the process ends leaves them reachable, so the leak check sees real leaks only. */
int dlclose(void* handle) {
  (void)handle;
  return 0;
}
