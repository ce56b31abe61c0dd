// The yardstick of hello's start-up: the least a GL program does before its
// first frame is on screen. It opens a window of hello's size with the
// pixel format the toolkit asks for (RGBA8, 24-bit depth, 8-bit stencil,
// double-buffered, any profile), clears it, swaps once and prints
// "first-swap <CLOCK_MONOTONIC ns>" as `hello --timing` does. bench_hello
// starts both in turn.
#include <GLFW/glfw3.h>
#include <time.h>

#include <cstdint>
#include <cstdio>

int main() {
    if (!glfwInit()) return 1;
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    GLFWwindow* window = glfwCreateWindow(760, 372, "raw", nullptr, nullptr);
    if (!window) return 1;
    glfwMakeContextCurrent(window);
    glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwSwapBuffers(window);
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::printf("first-swap %lld 0\n", static_cast<long long>(int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec));
    std::fflush(stdout);
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
