#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/demo/Program.h"
#include "support/io/DdsFile.h"

using korvane::demo::test::Program;
using korvane::demo::test::runDirectory;
using korvane::demo::test::RunDirectoryCopy;

// The program run against a prepared run directory with one thing broken or taken away: it must end on its
// own, with exit code -1 and a message that says what is wrong, never crash or hang.

namespace {

constexpr const char* Sky = "data/stpeters_cross.dds";
constexpr const char* VertexShader = "data/cubeshader.vp";
constexpr const char* PixelShader = "data/cubeshader.pp";

std::string original(const std::string& name) {
    std::ifstream in(runDirectory() + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes that are no file format at all, the same on every run.
std::string noise(size_t count) {
    std::string bytes(count, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 214013u + 2531011u;
        byte = char(state >> 16);
    }
    return bytes;
}

struct Fault {
    std::string name;
    std::function<void(RunDirectoryCopy&)> prepare;
    std::string message; // what the output must contain
    std::vector<std::pair<std::string, std::string>> env = {};
};

void expectFailures(const std::vector<Fault>& faults) {
    for (const Fault& fault : faults) {
        RunDirectoryCopy directory;
        fault.prepare(directory);
        Program program(directory.path(), fault.env);
        const int code = program.wait(30000);
        EXPECT_EQ(code, 255) << fault.name << " (-1: still running after 30 s)\n"
                             << program.stacks() << program.output();
        EXPECT_NE(program.output().find(fault.message), std::string::npos)
            << fault.name << ": no \"" << fault.message << "\" in\n"
            << program.output();
        EXPECT_EQ(program.output().find("Sanitizer"), std::string::npos) << fault.name << program.output();
    }
}

// A cube-map DDS file with the faces of the caps word, each a 4 x 4 BGRA image.
std::vector<unsigned char> cubeFile(uint32_t faces, uint32_t fourCC = 0, uint32_t width = 4) {
    korvane::test::DdsHeader header;
    header.width = width;
    header.height = 4;
    header.fourCC = fourCC;
    header.caps1 = 0x1008;
    header.caps2 = 0x200 | faces;
    int count = 0;
    for (uint32_t bit = 0x400; bit <= 0x8000; bit <<= 1)
        count += (faces & bit) != 0;
    return korvane::test::ddsFile(header, std::vector<unsigned char>(size_t(count) * width * 4 * 4, 0x60));
}

} // namespace

TEST(FaultTest, ABrokenSkyFileEndsTheProgramWithItsName) {
    const std::string sky = original(Sky);
    ASSERT_GT(sky.size(), 200000u);
    const std::string unreadable = std::string(Sky) + " is not a DDS cube map that can be read";
    const std::string notACube = std::string(Sky) + " is not a cube map with six square faces";
    expectFailures({
        {"missing", [](RunDirectoryCopy& d) { d.remove(Sky); },
         std::string("The system cannot find the file specified. (") + Sky + ")"},
        {"empty", [](RunDirectoryCopy& d) { d.write(Sky, std::string()); }, unreadable},
        {"header only", [&](RunDirectoryCopy& d) { d.write(Sky, sky.substr(0, 128)); }, unreadable},
        {"cut in the first face", [&](RunDirectoryCopy& d) { d.write(Sky, sky.substr(0, 100000)); },
         unreadable},
        {"cut in the last face", [&](RunDirectoryCopy& d) { d.write(Sky, sky.substr(0, sky.size() - 1)); },
         unreadable},
        {"no DDS magic", [&](RunDirectoryCopy& d) { d.write(Sky, "XXXX" + sky.substr(4)); }, unreadable},
        {"noise", [](RunDirectoryCopy& d) { d.write(Sky, noise(300000)); }, unreadable},
        {"five faces", [](RunDirectoryCopy& d) { d.write(Sky, cubeFile(0x7C00)); }, notACube},
        {"oblong faces", [](RunDirectoryCopy& d) { d.write(Sky, cubeFile(0xFC00, 0, 8)); }, notACube},
        {"compressed faces", [](RunDirectoryCopy& d) { d.write(Sky, cubeFile(0xFC00, 0x31545844)); },
         std::string(Sky) + " holds faces in a pixel format that cube textures do not take"},
        {"a folder",
         [](RunDirectoryCopy& d) {
             d.remove(Sky);
             std::filesystem::create_directory(d.path() + "/" + Sky);
         },
         std::string(Sky) + " cannot be read"},
    });
}

TEST(FaultTest, ABrokenShaderEndsTheProgramWithItsNameAndTheDriversLog) {
    std::vector<Fault> faults;
    for (const char* file : {VertexShader, PixelShader}) {
        const std::string source = original(file);
        const std::string name = file;
        const std::string compile = name + " does not compile: ";
        faults.push_back({name + " missing", [file](RunDirectoryCopy& d) { d.remove(file); },
                          "The system cannot find the file specified. (" + name + ")"});
        faults.push_back(
            {name + " empty", [file](RunDirectoryCopy& d) { d.write(file, std::string()); }, compile});
        faults.push_back(
            {name + " cut in half",
             [file, source](RunDirectoryCopy& d) { d.write(file, source.substr(0, source.size() / 2)); },
             compile});
        faults.push_back(
            {name + " noise", [file](RunDirectoryCopy& d) { d.write(file, noise(700)); }, compile});
    }
    // Each half compiles; together they do not link.
    faults.push_back({"unresolved function",
                      [](RunDirectoryCopy& d) {
                          d.write(VertexShader,
                                  std::string("#version 110\nvec4 position();\nvoid main() { gl_Position = "
                                              "position(); }\n"));
                      },
                      std::string(VertexShader) + " and " + PixelShader + " do not link: "});
    faults.push_back({"varyings not written",
                      [](RunDirectoryCopy& d) {
                          d.write(VertexShader,
                                  std::string("#version 110\nvoid main() { gl_Position = ftransform(); }\n"));
                      },
                      "do not link: "});
    expectFailures(faults);
}

TEST(FaultTest, WithoutAUsableFontFileTheProgramSaysWhichFaceItLooksFor) {
    const std::string message = "No font file for \"Accidental Presidency\"";
    auto replaceFonts = [](const std::string& bytes) {
        return [bytes](RunDirectoryCopy& d) {
            for (const std::string& font : d.fonts())
                d.write(font, bytes);
        };
    };
    std::string font;
    for (const auto& entry : std::filesystem::directory_iterator(runDirectory()))
        if (entry.path().extension() == ".ttf")
            font = original(entry.path().filename().string());
    ASSERT_GT(font.size(), 10000u);
    expectFailures({
        {"none",
         [](RunDirectoryCopy& d) {
             for (const std::string& name : d.fonts())
                 d.remove(name);
         },
         message},
        {"empty", replaceFonts(std::string()), message},
        {"noise", replaceFonts(noise(60000)), message},
        {"cut after its table directory", replaceFonts(font.substr(0, 3000)), message},
        {"cut in half", replaceFonts(font.substr(0, font.size() / 2)), message},
    });
}

TEST(FaultTest, ADriverWithoutTheShadingLanguageIsNamedNotCalled) {
    const std::string message = "Korvane needs OpenGL 2.0";
    auto nothing = [](RunDirectoryCopy&) {};
    expectFailures({
        {"OpenGL 1.1", nothing, message, {{"MESA_GL_VERSION_OVERRIDE", "1.1"}}},
        {"OpenGL 1.4",
         nothing,
         message + std::string(" (multitexturing, transpose matrices and the OpenGL shading "
                               "language); the driver offers OpenGL 1.4"),
         {{"MESA_GL_VERSION_OVERRIDE", "1.4"}}},
    });
}

namespace {

// A private X server that a test can take away.
class XServer {
public:
    XServer() {
        // The first display number that is free: no lock file and no socket.
        for (int number = 150; number < 250 && name.empty(); ++number) {
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (::access(lock.c_str(), F_OK) == 0 || ::access(socket.c_str(), F_OK) == 0)
                continue;
            const std::string display = ":" + std::to_string(number);
            pid = ::fork();
            if (pid == 0) {
                ::execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                         static_cast<char*>(nullptr));
                ::_exit(127);
            }
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (pid > 0 && ::access(socket.c_str(), F_OK) != 0 &&
                   std::chrono::steady_clock::now() < deadline && ::waitpid(pid, nullptr, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (pid > 0 && ::access(socket.c_str(), F_OK) == 0)
                name = display;
            else
                stop();
        }
    }
    ~XServer() { stop(); }

    void stop() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }

    std::string name;

private:
    pid_t pid = -1;
};

} // namespace

TEST(FaultTest, WhenTheXServerGoesAwayTheProgramEndsWithAMessage) {
    XServer server;
    ASSERT_FALSE(server.name.empty()) << "Xvfb did not start";
    Program program(runDirectory(), {{"DISPLAY", server.name}});
    {
        Display* display = XOpenDisplay(server.name.c_str());
        ASSERT_NE(display, nullptr);
        const ::Window window = korvane::tools::waitForWindow(display, "Korvane", 30000);
        // Gone before the server, so that this process is not the one to notice.
        XCloseDisplay(display);
        ASSERT_NE(window, 0u) << program.output();
    }
    // Let it draw a frame or two, then take the server away in the middle of the next ones.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(program.isRunning()) << program.output();
    server.stop();
    EXPECT_EQ(program.wait(30000), 255) << program.output();
    EXPECT_NE(
        program.output().find("The connection to the X server of display \"" + server.name + "\" was lost."),
        std::string::npos)
        << program.output();
}
