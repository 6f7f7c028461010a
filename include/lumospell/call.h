/*
 * LUMOSPELL_CALL, the calling convention of every function and callback of
 * the LumoSpell libraries: __stdcall (WINAPI) on 32-bit Windows, where
 * hosts in other languages call DLL functions that way and the exports
 * keep their plain names; the platform's own convention everywhere else.
 */
#ifndef LUMOSPELL_CALL_H
#define LUMOSPELL_CALL_H

#if defined(_WIN32) && !defined(_WIN64)
#  define LUMOSPELL_CALL __stdcall
#else
#  define LUMOSPELL_CALL
#endif

#endif
