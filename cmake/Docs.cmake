# Documentation and installation: the man pages and the HTML manual made at
# build time from the programs themselves, the install rules of the manual,
# the examples and the shell completion, and the tests that keep the manual,
# the man pages and the installed tree in step with the programs.
include(GNUInstallDirs)

set(CELVANE_DOCS_SCRIPT ${CMAKE_SOURCE_DIR}/tools/celvane_docs.py)
set(CELVANE_MANUAL ${CMAKE_SOURCE_DIR}/docs/manual.md)
set(CELVANE_NOTES ${CMAKE_SOURCE_DIR}/docs/reference-notes.md)
set(CELVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/celvane)

# Debian's own python3 first: the one python3-markdown installs into.
find_program(CELVANE_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(CELVANE_SYSTEM_PYTHON AND NOT Python3_EXECUTABLE)
  set(Python3_EXECUTABLE ${CELVANE_SYSTEM_PYTHON})
endif()
find_package(Python3 COMPONENTS Interpreter)  # Debian: python3

if(Python3_Interpreter_FOUND)
  # Man pages from --help and --list-commands of the programs built.
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(man_args --celvane $<TARGET_FILE:celvane>)
  set(man_pages celvane)
  set(man_depends celvane)
  if(CELVANE_TOOLS)
    list(APPEND man_args --sweep $<TARGET_FILE:celvane-sweep> --plot $<TARGET_FILE:celvane-plot>)
    list(APPEND man_pages celvane-sweep celvane-plot)
    list(APPEND man_depends celvane-sweep celvane-plot)
  endif()
  set(man_outputs "")
  foreach(page IN LISTS man_pages)
    list(APPEND man_outputs ${man_dir}/${page}.1 ${man_dir}/${page}.1.gz)
    install(FILES ${man_dir}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_command(
    OUTPUT ${man_outputs}
    COMMAND ${Python3_EXECUTABLE} ${CELVANE_DOCS_SCRIPT} man ${man_args} --notes ${CELVANE_NOTES}
            --templates ${CMAKE_SOURCE_DIR}/docs/man --out ${man_dir}
    DEPENDS ${man_depends} ${CELVANE_DOCS_SCRIPT} ${CELVANE_NOTES}
            ${CMAKE_SOURCE_DIR}/docs/man/celvane.1.in ${CMAKE_SOURCE_DIR}/docs/man/celvane-sweep.1.in
            ${CMAKE_SOURCE_DIR}/docs/man/celvane-plot.1.in
    COMMENT "Man pages from the programs' own help")
  add_custom_target(celvane-man ALL DEPENDS ${man_outputs})

  # The HTML manual, where python3-markdown is installed; left out otherwise.
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import markdown"
                  RESULT_VARIABLE markdown_missing OUTPUT_QUIET ERROR_QUIET)
  if(NOT markdown_missing)
    add_custom_command(
      OUTPUT ${CMAKE_BINARY_DIR}/manual.html
      COMMAND ${Python3_EXECUTABLE} ${CELVANE_DOCS_SCRIPT} html ${CELVANE_MANUAL}
              ${CMAKE_BINARY_DIR}/manual.html
      DEPENDS ${CELVANE_MANUAL} ${CELVANE_DOCS_SCRIPT}
      COMMENT "The manual as HTML")
    add_custom_target(celvane-html ALL DEPENDS ${CMAKE_BINARY_DIR}/manual.html)
    install(FILES ${CMAKE_BINARY_DIR}/manual.html DESTINATION ${CELVANE_DOC_DIR})
  endif()

  # Rewrites the manual's command and parameter references from the program.
  add_custom_target(update-manual
    COMMAND ${Python3_EXECUTABLE} ${CELVANE_DOCS_SCRIPT} refs --write --celvane $<TARGET_FILE:celvane>
            --notes ${CELVANE_NOTES} --manual ${CELVANE_MANUAL}
    DEPENDS celvane VERBATIM)
endif()

install(FILES ${CELVANE_MANUAL} ${CMAKE_SOURCE_DIR}/docs/vbr_sweep_buffer_mean.png
              ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CELVANE_DOC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${CELVANE_DOC_DIR}/examples)
foreach(program celvane celvane-sweep celvane-plot)
  install(FILES ${CMAKE_SOURCE_DIR}/completion/celvane
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()

if(CELVANE_TESTS AND Python3_Interpreter_FOUND)
  set(docs_test ${CMAKE_SOURCE_DIR}/tests/docs/docs_test.py)
  # The manual's references against the program's tables.
  add_test(NAME docs.ManualMatchesProgram
           COMMAND ${Python3_EXECUTABLE} ${CELVANE_DOCS_SCRIPT} refs --check
                   --celvane $<TARGET_FILE:celvane> --notes ${CELVANE_NOTES}
                   --manual ${CELVANE_MANUAL})
  set(test_args --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR})
  set(docs_checks ManPagesRender Completion InstalledTree)
  # A package is made from an optimised build; one of sanitized programs
  # would only be slow to strip and run.
  if(NOT CELVANE_SANITIZE)
    list(APPEND docs_checks DebianPackage)
  endif()
  foreach(check IN LISTS docs_checks)
    add_test(NAME docs.${check} COMMAND ${Python3_EXECUTABLE} ${docs_test} ${check} ${test_args})
    # 77: a tool the check needs is missing (man, cpack, dpkg-deb).
    set_tests_properties(docs.${check} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
                         # The install checks share the scratch folders of the build tree.
                         RESOURCE_LOCK celvane_install)
  endforeach()
endif()
