#pragma once

#include <string>
#include <vector>

#include "coordinfo/console_text.h"
#include "coordinfo/coord_translate_info.h"
#include "coordinfo/process_context.h"

// The text a parse would have printed: label lines (standard output), failure reasons (one
// line each, standard error).
using ParseConsole = ConsoleText;

// Reads a coordinate translation info file (JSON, RFC 8259 without extensions) into `info`.
//
// The text counts up to its first NUL; leading bytes EF, BB, BF are skipped one by one (a
// UTF-8 byte-order mark). A root object is one definition (it fills the first definition of
// `info`, appending one when there is none); a root array holds one definition object per
// element (each appended, or filling the existing definition at its position); any other root
// is rejected. Every definition refers to `*info.origin`; "basepoint" members write into it.
// `process.origin` receives the centre of the source points of Control points definitions
// (also when `info` is not `process.info`) and `process.globalzonecode` the process-wide zone
// code. When `info.origin == &process.origin` both names reach the same record.
//
// A definition without a known "type" ("Custom Gauss", "Control points") or without "define"
// defines nothing (ProjectDefinition::undefinedReason): as the definition of an object
// document, or when no definition of an array defines anything (an empty array too), the file
// is rejected; in an array beside defined ones it stands, with a warning.
//
// Returns false, setting `*error` (when not null) and changing nothing (not `info`, not any
// EnuOrigin, not the zone code), when the text is empty, `info.origin` is null, the JSON is
// invalid ("line L, column C: <RapidJSON's message>", 1-based, columns in characters from the
// start of the line), a value lies outside the format (`<key path>: <reason>`, e.g.
// `"define"."xoffset": expected a number`, or a lenient number in a string that is not all
// number) or nothing is defined (`the definition defines nothing: no "define"`). Console lines
// of a control-point fit made before a later value was rejected stay printed.
//
// A control-point fit made while parsing writes its label lines and failure reason into
// `*console` (when not null; dropped otherwise): the parser prints nothing.
//
// Mistakes that do not reject the file are appended to `*warnings` (when not null) as
// `<key path>: <reason>`: an unknown key in a definition object, in "define" or in a
// correction block, an undefined definition of an array, a lenient number of another JSON type
// whose default is kept, an unknown ellipsoid name, an incomplete "ellipsoidconv" or
// "adjustconv".
[[nodiscard]] bool parseCoordTranslateInfo(std::string text, CoordTranslateInfo& info,
                                           ProcessContext& process, std::string* error,
                                           std::vector<std::string>* warnings = nullptr,
                                           ParseConsole* console = nullptr);

// The two views a run needs, from one read of the text: `local` (an info with its own origin,
// as parseCoordTranslateInfo fills it) and the process-wide `process.info` (the same
// definitions, referring to process.origin, which receives the control-point centres and the
// "basepoint" members in file order): what reading the text into `local` and then again into
// `process.info` gives, but for the fits made while reading, made and written to `*console`
// once.
[[nodiscard]] bool parseCoordinateViews(std::string text, CoordTranslateInfo& local,
                                        ProcessContext& process, std::string* error,
                                        std::vector<std::string>* warnings = nullptr,
                                        ParseConsole* console = nullptr);
