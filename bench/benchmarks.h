// What the benchmark binary measures: a list of operations, each one unit of
// work that a benchmark repeats. Both sides name theirs
// "<side>/<workload>[/<count>]", so that the same workload of Quillow and of
// the reference library pair up by name in the results.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quillow {
namespace bench {

struct Operation {
    std::string name;
    // Runs the operation once and tells what went wrong, or "" when it did
    // what it should; a benchmark whose check fails reports an error instead
    // of a time.
    std::function<std::string()> check;
    // One operation, with everything it allocates freed again.
    std::function<void()> run;
    // The message bytes one operation handles, and its bindings, when known.
    std::size_t bytes = 0;
    std::size_t bindings = 0;
    // Shown beside the time, such as the text that a text form builds.
    std::string label;
};

std::vector<Operation> quillowOperations();

// Starts the reference library and lists its operations; defined only when
// the library was found at configure time. `version` receives its version.
std::vector<Operation> referenceOperations(std::string& version);

// The binding counts of the mixed replies.
constexpr std::size_t kBindingCounts[] = {1, 10, 50, 200};
// The content length of the single large octet string.
constexpr std::size_t kLargeOctetString = 4000;

}  // namespace bench
}  // namespace quillow
