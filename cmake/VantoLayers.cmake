# Each library of the core sees only its own folder and the folders it may use. The build makes,
# for every library, a folder of links to exactly those folders and gives the compiler that folder
# as its only include root, so an include that reaches up a floor is a missing file, not a warning.
#
# The floors, from the bottom:
#   platform (the seam) and shared (what the monitor shares with the mouse and the configuration
#   application); keys, audio, i18n; macro; profile and device side by side (the device link
#   encodes whatever profile it is handed and never asks the profile manager); app.
set(VANTO_LAYER_ROOT ${PROJECT_BINARY_DIR}/layers)

# The platform folder is seen without its sim/ and win32/ implementations: only their owners
# choose one.
function(vanto_link_platform_headers AVIEW)
    file(MAKE_DIRECTORY ${AVIEW}/platform)
    file(GLOB HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/*.h)
    foreach(HEADER ${HEADERS})
        get_filename_component(NAME ${HEADER} NAME)
        file(CREATE_LINK ${HEADER} ${AVIEW}/platform/${NAME} SYMBOLIC)
    endforeach()
endfunction()

# vanto_layer(TARGET FOLDER USES FOLDER...): TARGET is built from src/FOLDER and may include
# FOLDER and the folders named after USES; platform/ is always there.
function(vanto_layer ATARGET AFOLDER)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "USES")
    set(VIEW ${VANTO_LAYER_ROOT}/${AFOLDER})
    file(REMOVE_RECURSE ${VIEW})
    vanto_link_platform_headers(${VIEW})
    foreach(FOLDER ${AFOLDER} ${ARG_USES})
        if(NOT FOLDER STREQUAL "platform")
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${FOLDER} ${VIEW}/${FOLDER} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${ATARGET} PRIVATE ${VIEW})
    set_property(TARGET ${ATARGET} PROPERTY VANTO_LAYER_VIEW ${VIEW})
endfunction()

# The simulated and the Win32 platform see the whole platform folder and nothing above it; the
# programs that choose one of them stand at the top and see the whole tree.
function(vanto_platform_implementation ATARGET)
    set(VIEW ${VANTO_LAYER_ROOT}/platform-implementations)
    if(NOT EXISTS ${VIEW}/platform)
        file(MAKE_DIRECTORY ${VIEW})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/platform ${VIEW}/platform SYMBOLIC)
    endif()
    target_include_directories(${ATARGET} PRIVATE ${VIEW} INTERFACE ${PROJECT_SOURCE_DIR}/src)
endfunction()
