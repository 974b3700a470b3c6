// The usage path of the real binary: the text byte for byte, the exit status,
// and that no socket is ever made on that path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <string>
#include <vector>

namespace {

const std::string kBanner =
    "Quillow v1.0 - one SNMP GET from the command line. Copyright (c) 2026 the Quillow developers\n\n";

std::string usageText(const std::string& shownName) {
    return kBanner +
           "  A program to use SNMP to fetch an OID from a device.\n"
           "\n  Usage:\t" +
           shownName +
           " ipAddress community oid\n\n"
           "  Arguments:\tipAddress = IP address of device (or DNS name)\n"
           "\t\tcommunity = SNMP read/write community name on device\n"
           "\t\toid = Specific OID to fetch\n"
           "\n"
           "Usage examples:\n"
           "\n"
           "  Quillow 192.168.2.1 harbour 1.3.6.1.2.1.1.1.0\n"
           "\tInstructs the device at 192.168.2.1 with the community name \"harbour\"\n"
           "        to display its system description.\n"
           "\n"
           "  Quillow core-switch.example.net walnut  1.3.6.1.2.1.2.2.1.2.1\n"
           "\tInstructs the device with the DNS name of \"core-switch.example.net\" and the community\n"
           "        name \"walnut\" to display the interface description for interface 1.\n";
}

struct Outcome {
    std::string out;
    int status = -1;  // exit status, or -1 when killed
    int signal = 0;   // the signal that killed it, if any
};

#if defined(__x86_64__)
constexpr unsigned kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kAuditArch = AUDIT_ARCH_AARCH64;
#else
constexpr unsigned kAuditArch = 0;
#endif

// In the child: any socket() call from here on kills the process with
// SIGSYS, so a test sees at once if a path touches the network.
void forbidSockets() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) _exit(120);
    if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) _exit(121);
}

// Runs the binary with the given argv[0] and arguments, with sockets
// forbidden, and collects its standard output.
Outcome run(const std::string& argv0, const std::vector<std::string>& args) {
    std::vector<std::string> words{argv0};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        forbidSockets();
        execv(QUILLOW_BINARY, argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    Outcome result;
    char chunk[4096];
    ssize_t n;
    while ((n = read(pipeEnds[0], chunk, sizeof chunk)) > 0) result.out.append(chunk, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

class UsagePath : public ::testing::Test {
protected:
    void SetUp() override {
        if (kAuditArch == 0) GTEST_SKIP() << "no seccomp architecture code for this machine";
    }
};

TEST_F(UsagePath, AnyCountButThreeArgumentsPrintsTheUsageTextAndExitsOne) {
    const std::vector<std::vector<std::string>> argumentLists = {{},
                                                                 {"10.0.0.1"},
                                                                 {"10.0.0.1", "harbour"},
                                                                 {"10.0.0.1", "harbour", "1.3.6.1", "extra"},
                                                                 {"a", "b", "c", "d", "e", "f"},
                                                                 {""}};
    for (const auto& args : argumentLists) {
        const Outcome result = run("QUILLOW", args);
        EXPECT_EQ(result.signal, 0) << "made a socket with " << args.size() << " arguments";
        EXPECT_EQ(result.status, 1) << args.size();
        EXPECT_EQ(result.out, usageText("QUILLOW")) << args.size();
    }
}

TEST_F(UsagePath, TheInvokedNameIsUpperCasedLetterByLetter) {
    const struct {
        const char* invoked;
        const char* shown;
    } cases[] = {
        {"quillow", "QUILLOW"},
        {"./build-2/quillow", "./BUILD-2/QUILLOW"},
        {"/opt/net_tools/v9/q1.exe", "/OPT/NET_TOOLS/V9/Q1.EXE"},
        {"C:\\tools\\quillow.exe", "C:\\TOOLS\\QUILLOW.EXE"},
        {"r\xC3\xA9seau-quillow", "R\xC3\xA9SEAU-QUILLOW"},  // bytes beyond a-z stay as they are
        {"", ""},
    };
    for (const auto& c : cases) {
        const Outcome result = run(c.invoked, {"only", "two"});
        EXPECT_EQ(result.status, 1) << c.invoked;
        EXPECT_EQ(result.out, usageText(c.shown)) << c.invoked;
    }
}

TEST_F(UsagePath, ThreeArgumentsTakeTheRequestPathWhateverTheyHold) {
    // The same guard kills the request path at its first socket, which shows
    // the guard works and that three arguments, even empty ones, are a request.
    const Outcome result = run("quillow", {"", "", ""});
    EXPECT_EQ(result.signal, SIGSYS);
    EXPECT_EQ(result.out.find("Usage"), std::string::npos);
}

}  // namespace
