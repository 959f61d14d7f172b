# Runs when installing: writes the default settings.ini of the installation into its data folder.
# It is the demo settings with every relative file name (shaders, clip, pictures) made absolute under
# the data folder, so that the player finds them from any working directory.
#   TQ_DEMO_SETTINGS  the demo folder's settings.ini
#   TQ_DATA_DIR       the data folder, relative to the install prefix (or absolute)
# CMAKE_INSTALL_PREFIX is the prefix the files will have in the end; a DESTDIR staging folder is
# only where they are written.

if(IS_ABSOLUTE "${TQ_DATA_DIR}")
  set(data_dir "${TQ_DATA_DIR}")
else()
  get_filename_component(data_dir "${CMAKE_INSTALL_PREFIX}/${TQ_DATA_DIR}" ABSOLUTE)
endif()

# The settings file can hold neither of these in a file name, and reads names of at most 259 bytes.
if(data_dir MATCHES "[\";]")
  message(FATAL_ERROR "The install prefix contains '\"' or ';', which settings.ini cannot hold "
                      "in a file name: ${data_dir}")
endif()

file(READ "${TQ_DEMO_SETTINGS}" settings)
# A leading line end lets every statement be matched after one; statements of the three file lists
# whose name does not begin with '/' get the data folder in front.
string(REGEX REPLACE "\n(encoder|decoder|content)( *\\+?= *)\"([^\"/][^\"]*)\""
       "\n\\1\\2\"${data_dir}/\\3\"" settings "\n${settings}")
string(SUBSTRING "${settings}" 1 -1 settings)

string(REGEX MATCHALL "\n(encoder|decoder|content) *\\+?= *\"[^\"]*\"" entries "${settings}")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[^\"]*\"([^\"]*)\"$" "\\1" name "${entry}")
  string(LENGTH "${name}" length)
  if(length GREATER 259)
    message(FATAL_ERROR "The install prefix is too long: settings.ini holds file names of at most "
                        "259 bytes, and ${name} has ${length}")
  endif()
  if(NOT EXISTS "$ENV{DESTDIR}${name}")
    message(FATAL_ERROR "The default settings name ${name}, which is not installed")
  endif()
endforeach()

set(template "$ENV{DESTDIR}${data_dir}/settings.ini")
message(STATUS "Installing: ${template}")
file(WRITE "${template}" "${settings}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${data_dir}/settings.ini")
