#pragma once

namespace quillow {
namespace cli {

// Prints the banner and the usage text to standard output. The invoked name
// is upper-cased in place (a to z only) for the usage line.
void printUsage(char* invokedName);

}  // namespace cli
}  // namespace quillow
