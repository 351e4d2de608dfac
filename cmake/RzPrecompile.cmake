# Precompiled headers (RZ_PRECOMPILE_HEADERS): Qt's headers, which nearly
# every file of a Qt library or program includes, are parsed once per group
# of targets instead of once per file. Test programs keep without: most of
# their files' cost is their own code, and loading a header of that size
# (over 100 MB with debug information) costs them more than it saves:
# app_tests with Qt's, GoogleTest's and QTest's headers precompiled took
# 271 s of processor time through an empty ccache against 257 s without
# (25 s less parsing, 39 s more system time mapping and hashing the 220 MB
# header).
#
# Measured per file on a busy machine: without ccache a Qt file took about
# an eighth less processor time; through ccache with an empty cache, which
# loads the header once to hash it and once to compile, about an eighth more.
# Hence off by default. With it on, GCC 12 also gives a false -Warray-bounds
# on the string concatenation in engine/ui/wave_mixer_dlg.cpp's OnBrowse.
#
# Targets that see the same headers with the same macros share one header
# (REUSE_FROM); the compiler refuses a header made with macros it reads
# defined otherwise, so a group is keyed by the system libraries' flags,
# which reach the standard headers. Targets of one or two files gain nothing
# and keep without.

set(RZ_PCH_STD <algorithm> <cstdint> <filesystem> <functional> <memory> <optional> <string>
    <string_view> <vector>)
set(RZ_PCH_QT <QApplication> <QCheckBox> <QComboBox> <QDialog> <QDialogButtonBox> <QHBoxLayout>
    <QKeyEvent> <QLabel> <QLineEdit> <QMenu> <QMouseEvent> <QPainter> <QPushButton>
    <QRadioButton> <QTimer> <QVBoxLayout> <QWidget>)

# The imported libraries `target` sees through its own links and the public
# links of our libraries beneath it: these bring the compile flags.
function(rz_pch_imported_links target out)
  set(found "")
  set(seen "")
  get_target_property(pending ${target} LINK_LIBRARIES)
  while(pending)
    list(POP_FRONT pending library)
    if(library IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${library})
    # Imported libraries are seen only in the folder that found them: known
    # by their namespaced names.
    if(library MATCHES "::")
      list(APPEND found ${library})
    elseif(TARGET ${library})
      get_target_property(passed ${library} INTERFACE_LINK_LIBRARIES)
      if(passed)
        list(APPEND pending ${passed})
      endif()
    endif()
  endwhile()
  list(SORT found)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Collects the Qt libraries and programs, each with its headers and the key of
# its group.
function(rz_pch_collect dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources files)
    if(files LESS 3)
      continue()
    endif()
    rz_pch_imported_links(${target} imported)
    if(NOT imported MATCHES "(^|;)Qt6::Widgets(;|$)"
       OR imported MATCHES "(^|;)(Qt6::Test|GTest::[a-z_]+)(;|$)")
      continue()
    endif()
    set(headers ${RZ_PCH_STD} ${RZ_PCH_QT})
    set(flagged ${imported})
    list(FILTER flagged INCLUDE REGEX "^PkgConfig::")
    string(MD5 key "${headers};${flagged}")
    set_property(GLOBAL APPEND PROPERTY RZ_PCH_KEYS ${key})
    set_property(GLOBAL APPEND PROPERTY RZ_PCH_GROUP_${key} ${target})
    set_property(GLOBAL PROPERTY RZ_PCH_HEADERS_${key} ${headers})
    set_property(TARGET ${target} PROPERTY RZ_PCH_FILES ${files})
  endforeach()
  get_property(folders DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(folder ${folders})
    rz_pch_collect(${folder})
  endforeach()
endfunction()

# The header of a group is built by its lowest library, which the others
# build anyway, or else by its largest program, so that reusing it drags no
# program into a build that does not want it.
function(rz_precompile_headers)
  rz_pch_collect(${PROJECT_SOURCE_DIR})
  get_property(keys GLOBAL PROPERTY RZ_PCH_KEYS)
  list(REMOVE_DUPLICATES keys)
  foreach(key ${keys})
    get_property(group GLOBAL PROPERTY RZ_PCH_GROUP_${key})
    get_property(headers GLOBAL PROPERTY RZ_PCH_HEADERS_${key})
    set(owner "")
    set(most 0)
    foreach(target ${group})
      get_target_property(type ${target} TYPE)
      get_target_property(files ${target} RZ_PCH_FILES)
      if(type STREQUAL "STATIC_LIBRARY")
        set(owner ${target})
        break()
      elseif(files GREATER most)
        set(owner ${target})
        set(most ${files})
      endif()
    endforeach()
  target_precompile_headers(${owner} PRIVATE ${headers})
    foreach(target ${group})
      if(NOT target STREQUAL owner)
        target_precompile_headers(${target} REUSE_FROM ${owner})
      endif()
      # ccache hashes the precompiled header instead of preprocessing what
      # it holds.
      if(CCACHE_PROGRAM AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -fpch-preprocess)
      endif()
    endforeach()
  endforeach()
endfunction()
