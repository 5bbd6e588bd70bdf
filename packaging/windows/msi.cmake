# Builds the Windows Installer package of one version with wixl, from a folder FILES that holds
# mirelko.exe, README.txt and mirelko.ico (wixl finds files by relative names only):
#   cmake -DWIXL=wixl -DVERSION=0.1.0 -DFILES=dir "-DPRODUCT_NAME=Mirelko panel"
#         "-DPUBLISHER=..." -DOUTPUT=/path/mirelko-0.1.0.msi -P msi.cmake
# The build runs it for the project's version; the installer tests run it for others.

# Fixed for ever: Windows Installer finds the older and newer installations of the product by it.
set(upgrade_code 7734EB01-D115-403B-BA24-CD736AF78EBC)

# One product code per version, the same for every build of it. wixl's major upgrade leaves out
# the same version, so a rebuild with a new product code would install beside the old one; with
# the same code Windows refuses it as "another version of this product is already installed".
string(UUID product_code NAMESPACE ${upgrade_code} NAME "${VERSION}" TYPE SHA1 UPPER)

execute_process(
  COMMAND ${WIXL} --arch x86 --output ${OUTPUT}
          -D Version=${VERSION} -D ProductCode=${product_code} -D UpgradeCode=${upgrade_code}
          -D "ProductName=${PRODUCT_NAME}" -D "Publisher=${PUBLISHER}"
          ${CMAKE_CURRENT_LIST_DIR}/mirelko.wxs
  WORKING_DIRECTORY ${FILES}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "wixl could not build ${OUTPUT}")
endif()
