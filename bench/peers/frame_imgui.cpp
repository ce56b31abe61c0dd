// The frame of bench/panels.cpp drawn by the peer immediate-mode GUI library
// (Debian package libimgui-dev, its GLFW and OpenGL 3 back ends): N child
// regions of 80 x 48 with a rounded 1-pixel border and a heading each,
// three to a row with 4-pixel gaps, in a 256 x 256 window far shorter than
// the column. A child region the library finds clipped is begun and ended
// without content, which is how it skips invisible ones. Reports the
// drawing thread's CPU time per frame (CPU column) and the wall time.
// Needs an X display (xvfb-run).
#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <benchmark/benchmark.h>
#include <imgui.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

constexpr int kSize = 256;
constexpr int kColumns = 3;
constexpr float kPanelW = 80, kPanelH = 48, kGap = 4;

class ImGuiWindow {
public:
    ImGuiWindow() {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display || !(glfw_ = glfwInit())) return;
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        window_ = glfwCreateWindow(kSize, kSize, "frame_imgui", nullptr, nullptr);
        if (!window_) return;
        glfwMakeContextCurrent(window_);
        glfwSwapInterval(0);
        IMGUI_CHECKVERSION();
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGuiStyle& style = ImGui::GetStyle();
        style.ChildRounding = 5;
        style.ChildBorderSize = 1;
        style.ItemSpacing = ImVec2(kGap, kGap);
        style.WindowPadding = ImVec2(kGap, kGap);
        style.Colors[ImGuiCol_ChildBg] = ImVec4(0.16f, 0.22f, 0.28f, 1);
        style.Colors[ImGuiCol_Border] = ImVec4(0.63f, 0.72f, 0.82f, 1);
        ImGui_ImplGlfw_InitForOpenGL(window_, false);
        ImGui_ImplOpenGL3_Init("#version 330");
    }
    ~ImGuiWindow() {
        if (window_) {
            ImGui_ImplOpenGL3_Shutdown();
            ImGui_ImplGlfw_Shutdown();
            ImGui::DestroyContext();
            glfwDestroyWindow(window_);
        }
        if (glfw_) glfwTerminate();
    }
    ImGuiWindow(const ImGuiWindow&) = delete;
    ImGuiWindow& operator=(const ImGuiWindow&) = delete;
    bool ok() const { return window_ != nullptr; }

    void frame(int n) {
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplGlfw_NewFrame();
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(kSize, kSize));
        ImGui::Begin("panels", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoBackground);
        for (int i = 0; i < n; ++i) {
            if (i % kColumns) ImGui::SameLine();
            ImGui::PushID(i);
            if (ImGui::BeginChild("panel", ImVec2(kPanelW, kPanelH), true)) ImGui::TextUnformatted("Panel");
            ImGui::EndChild();
            ImGui::PopID();
        }
        ImGui::End();
        ImGui::Render();
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.1f, 0.1f, 0.1f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        glFinish();
    }

private:
    bool glfw_ = false;
    GLFWwindow* window_ = nullptr;
};

void BM_FramePanels(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    // Opening the display fails now and then on a loaded machine: a few
    // more tries before giving up.
    std::unique_ptr<ImGuiWindow> ui;
    for (int attempt = 0; attempt < 10 && !(ui && ui->ok()); ++attempt) {
        if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ui.reset();
        ui = std::make_unique<ImGuiWindow>();
    }
    if (!ui->ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    ui->frame(n);  // first use: font atlas, programs, the child windows
    ui->frame(n);
    for (auto _ : state) ui->frame(n);
}
BENCHMARK(BM_FramePanels)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
