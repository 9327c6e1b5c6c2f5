// Part definition files, and the bone count of part meshes.
#include "ModelTestSupport.h"
#include "tests/support/TempDir.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitPartDef.h"

#include <Ogre.h>

namespace {

class UnitPartFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    UnitContent();
    manager.SetUnitWorld(&world);
    manager.ReadUnitTemplates(R"(<Units><Unit Name="knight"><ChoiceParts>
        <Part PartName="body" PartType="body" ResName="knight.mesh"/></ChoiceParts></Unit></Units>)",
                              "knight.unt");
  }
  void TearDown() override {
    manager.ClearUnits();
    if (published) Ogre::ResourceGroupManager::getSingleton().removeResourceLocation(dir.path(), "General");
  }

  // Makes the files written so far findable in "General".
  void Publish() {
    Ogre::ResourceGroupManager::getSingleton().addResourceLocation(dir.path(), "FileSystem", "General");
    published = true;
  }

  // The parts a new knight gets for a part name.
  std::vector<const UnitPartDef*> PartsFor(const std::string& name) {
    CGAUnit* unit = manager.CreateNamedUnit("knight", "knight" + std::to_string(++made));
    manager.AttachPart(unit, name);
    std::vector<const UnitPartDef*> parts;
    for (const UnitPartRecord& record : unit->GetPendingParts()) parts.push_back(record.part);
    return parts;
  }

  LogLines log;
  TempDir dir;
  FakeUnitWorld world;
  CGAUnitManager manager{nullptr};
  int made = 0;
  bool published = false;
};

TEST_F(UnitPartFiles, PartsOfAFileComeBeforeTheTemplatesGroups) {
  dir.write("parts.xml", R"(<Parts>
      <Part PartName="body" PartType="torso" ResName="plate.mesh" Texture="plate.png" Bone="Bip01 Spine"
            Position="0 1 0" Angle="0 90 0" Effect="glint" AttackType="blunt">
        <EffectTexture textue="glow.png" mask="m.png" uv="1 2" flash="3"/>
      </Part>
      <Part PartName="cape" PartType="back" ResName="cape.mesh"/>
      <Part PartName="cape" PartType="back" ResName="long_cape.mesh"/>
    </Parts>)");
  Publish();
  ASSERT_EQ(PartsFor("body")[0]->GetResName(), "knight.mesh");
  manager.LoadPartFile("parts.xml");

  const std::vector<const UnitPartDef*> body = PartsFor("body");
  ASSERT_EQ(body.size(), 1u);
  const UnitPartDef& plate = *body[0];
  EXPECT_EQ(plate.GetPartType(), "torso");
  EXPECT_EQ(plate.GetResName(), "plate.mesh");
  EXPECT_EQ(plate.GetTexture(), "plate.png");
  EXPECT_EQ(plate.GetBone(), "Bip01 Spine");
  EXPECT_EQ(plate.GetEffect(), "glint");
  EXPECT_EQ(plate.GetAttackType(), "blunt");
  EXPECT_TRUE(plate.GetPosition().positionEquals(Ogre::Vector3(0, 1, 0)));
  EXPECT_TRUE((plate.GetOrientation() * Ogre::Vector3::UNIT_Z).positionEquals(Ogre::Vector3::UNIT_X, 1e-5f));
  // Part files carry no effect textures.
  EXPECT_TRUE(plate.GetEffectTexture(0).texture.empty());

  // A later part of the same name takes the earlier one's place.
  const std::vector<const UnitPartDef*> cape = PartsFor("cape");
  ASSERT_EQ(cape.size(), 1u);
  EXPECT_EQ(cape[0]->GetResName(), "long_cape.mesh");
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
}

TEST_F(UnitPartFiles, TheMainFileReadsTheMainElementAndEveryFileOfAGroupIsRead) {
  dir.write("main_parts.xml", R"(<Other><Part PartName="a" ResName="other.mesh"/></Other>
      <Main><Part PartName="a" ResName="main.mesh"/></Main>)");
  Publish();
  // TinyXML reads elements after the first root; the plain loader takes the first.
  manager.LoadPartFile("main_parts.xml");
  EXPECT_EQ(PartsFor("a")[0]->GetResName(), "other.mesh");
  manager.LoadMainPartFile("main_parts.xml");
  EXPECT_EQ(PartsFor("a")[0]->GetResName(), "main.mesh");

  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  TempDir other;
  other.write("hats.xml", R"(<Parts><Part PartName="hat" ResName="hat.mesh"/></Parts>)");
  other.write("boots.xml", R"(<Parts><Part PartName="boots" ResName="boots.mesh"/></Parts>)");
  groups.createResourceGroup("PartFiles");
  groups.addResourceLocation(other.path(), "FileSystem", "PartFiles");
  groups.initialiseResourceGroup("PartFiles");
  manager.LoadPartFiles("PartFiles");
  EXPECT_EQ(PartsFor("hat")[0]->GetResName(), "hat.mesh");
  EXPECT_EQ(PartsFor("boots")[0]->GetResName(), "boots.mesh");
  groups.destroyResourceGroup("PartFiles");
}

TEST_F(UnitPartFiles, BrokenOrMissingFilesAreReportedAndChangeNothing) {
  dir.write("broken.xml", "<Parts><Part PartName=\"body\" ResName=\"x.mesh\">");
  dir.write("empty.xml", "<!-- nothing -->");
  Publish();
  for (const char* file : {"broken.xml", "absent.xml", "empty.xml"}) {
    manager.LoadPartFile(file);
    EXPECT_TRUE(log.Has(file)) << file;
  }
  manager.LoadMainPartFile("broken.xml");
  EXPECT_EQ(PartsFor("body")[0]->GetResName(), "knight.mesh");
}

// Writes a one-sub-mesh mesh whose first vertex is bound to `bones` bones.
void WriteBoundMesh(const std::string& path, const std::string& name, unsigned short bones) {
  Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().createManual(name, "Bound");
  Ogre::SubMesh* sub = mesh->createSubMesh();
  sub->useSharedVertices = false;
  sub->vertexData = new Ogre::VertexData();
  sub->vertexData->vertexCount = 3;
  sub->vertexData->vertexDeclaration->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
  Ogre::HardwareVertexBufferSharedPtr buffer = Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
      12, 3, Ogre::HardwareBuffer::HBU_STATIC);
  const float corners[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  buffer->writeData(0, sizeof corners, corners);
  sub->vertexData->vertexBufferBinding->setBinding(0, buffer);
  for (unsigned short b = 0; b < bones; ++b) sub->addBoneAssignment({0, b, 1.0f / bones});
  sub->addBoneAssignment({1, 0, 1.0f});
  mesh->_setBounds(Ogre::AxisAlignedBox(0, 0, 0, 1, 1, 0));
  Ogre::MeshSerializer().exportMesh(mesh.get(), path);
  mesh->load();  // a manual resource frees its sub-meshes on unload only once it counts as loaded
  Ogre::MeshManager::getSingleton().remove(mesh);
}

TEST_F(UnitPartFiles, TheBoneCountOfAMeshIsItsMostBoundVertex) {
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.createResourceGroup("Bound");
  WriteBoundMesh(dir.file("two_bones.mesh"), "two", 2);
  WriteBoundMesh(dir.file("five_bones.mesh"), "five", 5);
  dir.write("broken.mesh", "not a mesh");
  Publish();
  struct Case {
    const char* mesh;
    int bones;
  };
  const Case cases[] = {
      {"swordsman.mesh", 1}, {"sword.mesh", 0},   {"two_bones.mesh", 2}, {"five_bones.mesh", 0},
      {"broken.mesh", 0},    {"absent.mesh", 0},  {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(manager.GetMaxBoneAssignment(c.mesh), c.bones) << c.mesh;
  EXPECT_TRUE(log.Has("broken.mesh"));
  groups.destroyResourceGroup("Bound");
}

}  // namespace
