# Third-party libraries, all from Debian packages (scripts/deps.sh).

find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(GLEW REQUIRED)
find_package(glfw3 3.3 REQUIRED)
find_package(Freetype REQUIRED)
pkg_check_modules(DEFLATE REQUIRED IMPORTED_TARGET libdeflate)
find_package(Threads REQUIRED)

# GLM is header-only and appears in public headers; an interface target keeps
# the include path with the library's users.
find_path(KOUI_GLM_INCLUDE_DIR glm/glm.hpp REQUIRED)
add_library(koui_glm INTERFACE)
target_include_directories(koui_glm INTERFACE $<BUILD_INTERFACE:${KOUI_GLM_INCLUDE_DIR}>)
target_compile_definitions(koui_glm INTERFACE GLM_FORCE_SILENT_WARNINGS)

set(KOUI_PRIVATE_LIBS
  glfw GLEW::GLEW OpenGL::GL Freetype::Freetype PkgConfig::DEFLATE Threads::Threads ${CMAKE_DL_LIBS})
