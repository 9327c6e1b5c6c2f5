// The HLSL and Cg texts of the generated programs, compiled by
// glslangValidator's HLSL front end (neither Direct3D's compiler nor Cg's is
// on this machine): the texts of every kind of layout compile, and one
// whose texture coordinate has no HLSL type does not. The texts come from
// the functions the pages and billboard sets write their programs with.
#include "VegetationTestSupport.h"
#include "tests/support/TempDir.h"
#include "vegetation/BatchPage.h"
#include "vegetation/StaticBillboardSet.h"
#include "vegetation/WindBatchPage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

using Verdure::BatchPage;

// The executable of that name on PATH, or empty.
std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

struct Compiled {
  bool ok;
  std::string messages;
};

// Compiles a vertex program's HLSL text from its entry point, to nowhere.
Compiled CompileHlsl(const std::string& tool, const TempDir& folder, const std::string& source,
                     const std::string& entry) {
  const std::string file = folder.write("program.hlsl", source);
  const std::string command = "'" + tool + "' -D -S vert -e " + entry + " -V -o /dev/null '" + file + "' 2>&1";
  FILE* out = popen(command.c_str(), "r");
  if (!out) return {false, "could not run " + command};
  std::string messages;
  char buffer[512];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, out)) > 0;) messages.append(buffer, n);
  return {pclose(out) == 0, messages};
}

TEST(HlslPrograms, EveryLayoutCompilesAndATypelessCoordinateDoesNot) {
  const std::string tool = FindOnPath("glslangValidator");
  ASSERT_FALSE(tool.empty()) << "glslangValidator is not on PATH: install Debian's glslang-tools "
                                "(tools/install-deps.sh installs it)";
  using Coordinates = std::vector<std::pair<unsigned short, Ogre::VertexElementType>>;
  const Coordinates none, one = {{0, Ogre::VET_FLOAT2}}, several = {{0, Ogre::VET_FLOAT1}, {1, Ogre::VET_FLOAT2},
                                                                    {2, Ogre::VET_FLOAT3}, {3, Ogre::VET_FLOAT4}};
  const Coordinates typeless = {{0, Ogre::VET_SHORT2}};
  // Wind layouts: the mesh's own coordinates, then the wind parameters and
  // the origin after the highest index.
  auto windy = [](Coordinates own) {
    const unsigned short next = own.empty() ? 0 : own.back().first + 1;
    own.emplace_back(next, Ogre::VET_FLOAT4);
    own.emplace_back(next + 1, Ogre::VET_FLOAT4);
    return own;
  };

  struct Case {
    std::string what, source, entry;
    bool compiles;
  };
  std::vector<Case> cases;
  auto page = [&](bool wind, bool fade, bool lit, bool colour, const Coordinates& coordinates, const char* language,
                  bool compiles = true) {
    const BatchPage::ShaderLayout layout = MakeLayout(wind, fade, lit, colour, coordinates);
    cases.push_back({BatchPage::programName(layout) + " in " + language,
                     wind ? Verdure::WindBatchPage::programSource(layout, language)
                          : BatchPage::programSource(layout, language),
                     "main", compiles});
  };
  page(false, false, false, false, none, "hlsl");
  page(false, false, false, false, one, "cg");
  page(false, false, false, true, one, "hlsl");
  page(false, false, true, false, one, "hlsl");
  page(false, true, false, false, one, "cg");
  page(false, true, true, true, several, "hlsl");
  page(false, true, true, true, {{0, Ogre::VET_FLOAT2}, {2, Ogre::VET_FLOAT3}}, "hlsl");
  page(true, false, false, false, windy(none), "hlsl");
  page(true, false, false, false, windy(one), "cg");
  page(true, false, true, true, windy(one), "hlsl");
  page(true, true, true, true, windy(several), "hlsl");
  page(true, true, false, false, windy({{0, Ogre::VET_FLOAT2}, {2, Ogre::VET_FLOAT2}}), "hlsl");
  page(false, false, false, false, typeless, "hlsl", false);
  page(true, false, false, false, windy(typeless), "hlsl", false);
  for (const char* language : {"hlsl", "cg"}) {
    cases.push_back({std::string("Sprite_vp in ") + language,
                     Verdure::StaticBillboardSet::spriteProgramSource(false, language), "Sprite_vp", true});
    cases.push_back({std::string("SpriteFade_vp in ") + language,
                     Verdure::StaticBillboardSet::spriteProgramSource(true, language), "SpriteFade_vp", true});
  }

  TempDir folder;
  for (const Case& c : cases) {
    const Compiled compiled = CompileHlsl(tool, folder, c.source, c.entry);
    EXPECT_EQ(compiled.ok, c.compiles) << c.what << "\n" << compiled.messages << "\n" << c.source;
  }
}

}  // namespace
