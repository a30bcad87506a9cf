// A host for tests: provides the nine services as "Orvane", logs every call with its arguments
// and answers as scripted. Plain C interface, so that it crosses the DLL boundary safely.
// Text in and out is UTF-8.
#pragma once

#if defined(_WIN32) && defined(RECORDER_BUILDING)
#define RECORDER_API __declspec(dllexport)
#elif defined(_WIN32)
#define RECORDER_API __declspec(dllimport)
#else
#define RECORDER_API __attribute__((visibility("default")))
#endif

extern "C" {

const int kRecorderUnwritten = -0x7FFFFFFF - 1;

// Back to the defaults: empty log, attribute 0x07, cursor row 0, no scripted evaluations or
// variables or colours, expansion working.
RECORDER_API void RecorderReset(void);
RECORDER_API void RecorderSetAttribute(int attribute);
RECORDER_API void RecorderSetCursorRow(int row);
// Makes ExpandVariables report failure (leaving the text as it is).
RECORDER_API void RecorderFailExpansion(int fail);
// Evaluate turns `expression` into `result`; a null result makes it fail. Unscripted
// expressions fail.
RECORDER_API void RecorderScriptEvaluation(const char* expression, const char* result);
// A host variable for expansion, looked up before the process environment.
RECORDER_API void RecorderScriptVariable(const char* name, const char* value);
// What ParseColors answers for `description`. It writes only what it is given: with
// kRecorderUnwritten for a value, that value keeps what the caller put there.
RECORDER_API void RecorderScriptColors(const char* description, int foreground, int background);
// Every call so far, one a line: the service's name, then its arguments separated by "|".
RECORDER_API const char* RecorderLog(void);
}
