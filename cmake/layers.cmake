# The program's libraries are layered, bottom up: platform (its portable part and the folder of
# the platform being built for), registry, java_runtime, app (app/launch below the rest of app).
# A library includes by the path under src/ ("registry/m_registry.h"), but sees only its own
# folder and, through what it links, the folders of the layers below it: an include that reaches
# up a layer does not compile.

# pellatone_layer_folder(TARGET FOLDER): TARGET and everything that links it may include the
# headers of src/FOLDER as "FOLDER/...", but not those of its platform folders (posix, win32).
# They are reached through links in a tree of TARGET's own in the build folder, since src/ itself
# would offer every layer at once.
function(pellatone_layer_folder target folder)
    set(root ${PROJECT_BINARY_DIR}/src/layers/${target})
    set(source ${PROJECT_SOURCE_DIR}/src/${folder})
    set(platforms posix win32)
    # Laid out afresh, so that a header taken away is gone here too; only the links go.
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    file(GLOB entries CONFIGURE_DEPENDS RELATIVE ${source} ${source}/*)
    foreach(entry IN LISTS entries)
        if(entry IN_LIST platforms)
            continue()
        endif()
        if(IS_DIRECTORY ${source}/${entry} OR entry MATCHES "\\.h$")
            file(CREATE_LINK ${source}/${entry} ${root}/${folder}/${entry} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# pellatone_platform_folder(NAME FOLDER): an interface library NAME whose users may include the
# headers of src/FOLDER/<the platform being built for>. Only that platform's own code and tests
# link it, so the portable layers cannot reach a platform's headers.
function(pellatone_platform_folder name folder)
    set(root ${PROJECT_BINARY_DIR}/src/layers/${name})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder}/${PELLATONE_PLATFORM}
        ${root}/${folder}/${PELLATONE_PLATFORM} SYMBOLIC)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
endfunction()
