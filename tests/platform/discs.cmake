# Disc reading, CD drives and device commands. The real-part tests read images that
# scripts/make-test-discs.sh builds once per build tree (fixture test_discs).
set(TAMREL_TEST_DISCS ${CMAKE_BINARY_DIR}/test-discs)
add_test(NAME make_test_discs
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-test-discs.sh ${TAMREL_TEST_DISCS})
set_tests_properties(make_test_discs PROPERTIES FIXTURES_SETUP test_discs LABELS real)

function(tamrel_add_disc_test name label)
  tamrel_add_test(NAME ${name} SOURCES ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${name}.cpp LABEL ${label})
  if(label STREQUAL "real")
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED test_discs)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT TAMREL_TEST_DISCS=${TAMREL_TEST_DISCS})
  endif()
endfunction()

tamrel_add_disc_test(test_iso9660_directory unit)
tamrel_add_disc_test(test_disc_path unit)
tamrel_add_disc_test(test_disc_images unit)
tamrel_add_disc_test(test_mci_interpreter unit)
tamrel_add_disc_test(test_cd_drives real)
tamrel_add_disc_test(test_disc_reader real)
tamrel_add_disc_test(test_disc_sheet_threads unit)
tamrel_add_disc_test(test_disc_stream real)
