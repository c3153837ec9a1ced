# SPDX-License-Identifier: GPL-3.0-or-later
# The tests' UDF image writer, as a library for the tests and as a program that writes
# images of folder trees for the benchmark and the fuzz seeds.
add_library(tarvelo_udf_image_writer STATIC
    ${PROJECT_SOURCE_DIR}/tests/image/udf_image_builder.cpp
    ${PROJECT_SOURCE_DIR}/tests/image/udf_image_descriptors.cpp
    ${PROJECT_SOURCE_DIR}/tests/image/udf_image_fields.cpp
    ${PROJECT_SOURCE_DIR}/tests/image/udf_image_writer.cpp)
target_include_directories(tarvelo_udf_image_writer PUBLIC ${PROJECT_SOURCE_DIR})
tarvelo_set_warnings(tarvelo_udf_image_writer)

add_executable(udf_image_tool ${PROJECT_SOURCE_DIR}/tests/image/udf_image_tool.cpp)
target_link_libraries(udf_image_tool PRIVATE tarvelo_udf_image_writer)
tarvelo_set_warnings(udf_image_tool)
