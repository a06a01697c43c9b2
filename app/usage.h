#pragma once

// The program's own usage text and the check of the command line before gflags parses it,
// the same on every system (gflags' own help finds no flags on Windows, where it looks for a
// source file named like the executable).

// What the command line asks for.
enum class CommandLineCheck {
  run,        // flags to parse and a conversion to run
  helpShown,  // --help / -h: the usage text was printed (exit 0)
  badFlag,    // an unknown flag, one without its value, or an argument that is no flag
              // (also after "--"): the usage line was printed
};

// Prints the usage text for --help, -h (and gflags' other help flags: --helpshort,
// --helpfull, --helpon, --helpmatch, --helppackage, --helpxml), or the usage line and the
// reason for a flag that is not defined or misses its value, or an argument that is not a flag
// (every argument after "--" included). The program's flags
// are those defined in the same source file as the flag named `anyOwnFlag`; gflags' own
// flags are accepted but not listed.
CommandLineCheck checkCommandLine(int argc, char** argv, const char* anyOwnFlag);

// The one line that shows how the program is called.
const char* usageLine();
