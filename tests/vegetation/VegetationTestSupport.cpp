#include "VegetationTestSupport.h"

#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>

#include <cstring>
#include <map>
#include <sstream>

namespace {

void EnsureMaterial(const std::string& name) {
  auto& materials = Ogre::MaterialManager::getSingleton();
  if (!materials.resourceExists(name, "General")) materials.create(name, "General");
}

template <typename T>
void Put(Ogre::uchar*& out, T value) {
  std::memcpy(out, &value, sizeof value);
  out += sizeof value;
}

Ogre::HardwareIndexBufferSharedPtr Indices(const std::vector<Ogre::uint32>& indices, bool wide) {
  auto buffer = Ogre::HardwareBufferManager::getSingleton().createIndexBuffer(
      wide ? Ogre::HardwareIndexBuffer::IT_32BIT : Ogre::HardwareIndexBuffer::IT_16BIT, indices.size(),
      Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
  auto* out = static_cast<Ogre::uchar*>(buffer->lock(Ogre::HardwareBuffer::HBL_DISCARD));
  for (Ogre::uint32 i : indices) wide ? Put(out, i) : Put(out, Ogre::uint16(i));
  buffer->unlock();
  return buffer;
}

// A program whose named constants are the uniforms its source declares, as
// the render systems' own programs have them; nothing is compiled. It keeps
// the compiler settings it is given ("target", "profiles", "entry_point").
class ParsedProgram : public Ogre::HighLevelGpuProgram {
 public:
  ParsedProgram(Ogre::ResourceManager* creator, const Ogre::String& name, Ogre::ResourceHandle handle,
                const Ogre::String& group, bool isManual, Ogre::ManualResourceLoader* loader,
                const Ogre::String& language)
      : HighLevelGpuProgram(creator, name, handle, group, isManual, loader), mLanguage(language) {
    if (createParamDictionary("VegetationParsedProgram")) {
      setupBaseParamDictionary();
      for (SettingCommand& setting : sSettings)
        getParamDictionary()->addParameter(Ogre::ParameterDef(setting.name(), "", Ogre::PT_STRING), &setting);
    }
  }
  const Ogre::String& getLanguage() const override { return mLanguage; }
  // There are no render system capabilities to ask.
  bool isSupported() const override { return true; }

 protected:
  void loadFromSource() override {}
  void createLowLevelImpl() override {}
  void unloadHighLevelImpl() override {}
  void buildConstantDefinitions() const override {
    // Named constants only, as the render systems' high-level programs.
    createParameterMappingStructures(true);
    mFloatLogicalToPhysical.reset();
    mDoubleLogicalToPhysical.reset();
    mIntLogicalToPhysical.reset();
    // "uniform TYPE NAME" with an optional "[N]": GLSL ends it with ";",
    // HLSL and Cg with "," or ")".
    static const std::map<std::string, Ogre::GpuConstantType> kTypes = {
        {"float", Ogre::GCT_FLOAT1},  {"vec2", Ogre::GCT_FLOAT2},   {"float2", Ogre::GCT_FLOAT2},
        {"vec3", Ogre::GCT_FLOAT3},   {"float3", Ogre::GCT_FLOAT3}, {"vec4", Ogre::GCT_FLOAT4},
        {"float4", Ogre::GCT_FLOAT4}, {"mat4", Ogre::GCT_MATRIX_4X4}, {"float4x4", Ogre::GCT_MATRIX_4X4}};
    for (size_t at = mSource.find("uniform "); at != std::string::npos; at = mSource.find("uniform ", at + 1)) {
      std::istringstream declaration(mSource.substr(at + 8));
      std::string type, name;
      declaration >> type >> name;
      const size_t end = name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_");
      const unsigned long arraySize = end != std::string::npos && name[end] == '[' ? std::stoul(name.substr(end + 1)) : 1;
      name = name.substr(0, end);
      const auto known = kTypes.find(type);
      if (known == kTypes.end()) continue;
      Ogre::GpuConstantDefinition def;
      def.constType = known->second;
      def.elementSize = Ogre::GpuConstantDefinition::getElementSize(def.constType, false);
      def.arraySize = arraySize;
      def.physicalIndex = def.logicalIndex = mConstantDefs->floatBufferSize;
      def.variability = Ogre::GPV_GLOBAL;
      mConstantDefs->floatBufferSize += def.elementSize * def.arraySize;
      mConstantDefs->map.emplace(name, def);
    }
  }

 private:
  // Reads and writes one compiler setting of the program it is called for.
  class SettingCommand : public Ogre::ParamCommand {
   public:
    explicit SettingCommand(const char* name) : mName(name) {}
    const Ogre::String& name() const { return mName; }
    Ogre::String doGet(const void* target) const override {
      const auto* program = static_cast<const ParsedProgram*>(static_cast<const Ogre::StringInterface*>(target));
      auto it = program->mSettings.find(mName);
      return it == program->mSettings.end() ? "" : it->second;
    }
    void doSet(void* target, const Ogre::String& value) override {
      static_cast<ParsedProgram*>(static_cast<Ogre::StringInterface*>(target))->mSettings[mName] = value;
    }

   private:
    Ogre::String mName;
  };
  static SettingCommand sSettings[3];
  Ogre::String mLanguage;
  std::map<Ogre::String, Ogre::String> mSettings;
};

ParsedProgram::SettingCommand ParsedProgram::sSettings[3] = {SettingCommand("target"), SettingCommand("profiles"),
                                                             SettingCommand("entry_point")};

class ParsedProgramFactory : public Ogre::HighLevelGpuProgramFactory {
 public:
  explicit ParsedProgramFactory(const Ogre::String& language) : mLanguage(language) {}
  const Ogre::String& getLanguage() const override { return mLanguage; }
  Ogre::GpuProgram* create(Ogre::ResourceManager* creator, const Ogre::String& name, Ogre::ResourceHandle handle,
                           const Ogre::String& group, bool isManual, Ogre::ManualResourceLoader* loader) override {
    return new ParsedProgram(creator, name, handle, group, isManual, loader, mLanguage);
  }

 private:
  Ogre::String mLanguage;
};

}  // namespace

void InstallParsedPrograms() {
  HeadlessEngine();
  // Kept for the process: the engine's programs live as long as it does.
  static ParsedProgramFactory* const factories[] = {new ParsedProgramFactory("glsl"), new ParsedProgramFactory("hlsl"),
                                                    new ParsedProgramFactory("cg")};
  static const bool installed = [] {
    for (ParsedProgramFactory* factory : factories) Ogre::HighLevelGpuProgramManager::getSingleton().addFactory(factory);
    return true;
  }();
  (void)installed;
}

void MakeVertexProgram(const std::string& name, const std::string& source) {
  InstallParsedPrograms();
  auto& programs = Ogre::HighLevelGpuProgramManager::getSingleton();
  if (programs.getByName(name)) return;
  auto program = programs.createProgram(name, "General", "glsl", Ogre::GPT_VERTEX_PROGRAM);
  program->setSource(source);
  program->load();
}

Verdure::BatchPage::ShaderLayout MakeLayout(bool wind, bool fade, bool lit, bool colour,
                                            std::vector<std::pair<unsigned short, Ogre::VertexElementType>> texCoords) {
  Verdure::BatchPage::ShaderLayout layout;
  layout.wind = wind;
  layout.fade = fade;
  layout.lit = lit;
  layout.colour = colour;
  layout.texCoords = std::move(texCoords);
  return layout;
}

Ogre::MeshPtr MakeMesh(const std::string& name, const MeshSpec& spec) {
  auto& meshes = Ogre::MeshManager::getSingleton();
  if (Ogre::MeshPtr mesh = meshes.getByName(name, "General")) return mesh;
  EnsureMaterial(spec.material);
  Ogre::MeshPtr mesh = meshes.createManual(name, "General");

  const size_t quadsInAll = spec.quads * (spec.shared ? spec.subMeshes : 1);
  auto makeVertices = [&]() {
    auto* data = new Ogre::VertexData();
    Ogre::VertexDeclaration* decl = data->vertexDeclaration;
    size_t offset = 0;
    offset += decl->addElement(0, offset, Ogre::VET_FLOAT3, Ogre::VES_POSITION).getSize();
    if (spec.blend) {
      offset += decl->addElement(0, offset, Ogre::VET_UBYTE4, Ogre::VES_BLEND_INDICES).getSize();
      offset += decl->addElement(0, offset, Ogre::VET_FLOAT1, Ogre::VES_BLEND_WEIGHTS).getSize();
    }
    if (spec.normals) offset += decl->addElement(0, offset, Ogre::VET_FLOAT3, Ogre::VES_NORMAL).getSize();
    if (spec.colour) offset += decl->addElement(0, offset, Ogre::VET_COLOUR_ABGR, Ogre::VES_DIFFUSE).getSize();
    for (size_t t = 0; t < spec.texCoords.size(); ++t)
      offset += decl->addElement(0, offset, spec.texCoords[t], Ogre::VES_TEXTURE_COORDINATES,
                                 Ogre::ushort(spec.firstTexCoord + t)).getSize();
    data->vertexStart = 0;
    data->vertexCount = 4 * quadsInAll;
    auto buffer = Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
        offset, data->vertexCount, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    auto* out = static_cast<Ogre::uchar*>(buffer->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    for (size_t q = 0; q < quadsInAll; ++q) {
      for (int c = 0; c < 4; ++c) {
        const float x = (c == 1 || c == 2) ? 0.5f : -0.5f, y = c >= 2 ? spec.top : 0.0f, z = 0.1f * float(q);
        Put(out, x), Put(out, y), Put(out, z);
        if (spec.blend) Put(out, Ogre::uint32(0)), Put(out, 1.0f);
        if (spec.normals) Put(out, 0.0f), Put(out, 0.0f), Put(out, 1.0f);
        if (spec.colour) Put(out, Ogre::uint32(0xFF3264C8u));  // bytes 200, 100, 50, 255
        for (Ogre::VertexElementType type : spec.texCoords) {
          const size_t size = Ogre::VertexElement::getTypeSize(type);
          for (size_t i = 0; i < size / 4; ++i) Put(out, float(c) + 0.25f * float(i));
          if (size % 4) Put(out, Ogre::uint16(c)), Put(out, Ogre::uint16(c));
        }
      }
    }
    buffer->unlock();
    data->vertexBufferBinding->setBinding(0, buffer);
    return data;
  };

  if (spec.shared) mesh->sharedVertexData = makeVertices();
  for (unsigned s = 0; s < spec.subMeshes; ++s) {
    Ogre::SubMesh* sub = mesh->createSubMesh();
    sub->setMaterialName(spec.material, "General");
    sub->useSharedVertices = spec.shared;
    if (!spec.shared) sub->vertexData = makeVertices();
    std::vector<Ogre::uint32> indices;
    const size_t first = spec.shared ? s * spec.quads : 0;
    for (size_t q = first; q < first + spec.quads; ++q)
      for (Ogre::uint32 i : {0u, 1u, 2u, 0u, 2u, 3u}) indices.push_back(Ogre::uint32(4 * q) + i);
    sub->indexData->indexStart = 0;
    sub->indexData->indexCount = indices.size();
    sub->indexData->indexBuffer = Indices(indices, spec.index32);
  }
  mesh->_setBounds(Ogre::AxisAlignedBox(-0.5f, 0, 0, 0.5f, spec.top, 0.1f * float(quadsInAll)), false);
  mesh->load();
  return mesh;
}

Ogre::MeshPtr MakeBigMesh(const std::string& name, size_t vertices) {
  auto& meshes = Ogre::MeshManager::getSingleton();
  if (Ogre::MeshPtr mesh = meshes.getByName(name, "General")) return mesh;
  EnsureMaterial("veg_big");
  Ogre::MeshPtr mesh = meshes.createManual(name, "General");
  Ogre::SubMesh* sub = mesh->createSubMesh();
  sub->setMaterialName("veg_big", "General");
  sub->useSharedVertices = false;
  sub->vertexData = new Ogre::VertexData();
  sub->vertexData->vertexDeclaration->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
  sub->vertexData->vertexCount = vertices;
  auto buffer = Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
      12, vertices, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
  auto* out = static_cast<Ogre::uchar*>(buffer->lock(Ogre::HardwareBuffer::HBL_DISCARD));
  for (size_t v = 0; v < vertices; ++v) Put(out, float(v) * 0.001f), Put(out, 0.0f), Put(out, 0.0f);
  buffer->unlock();
  sub->vertexData->vertexBufferBinding->setBinding(0, buffer);
  std::vector<Ogre::uint32> indices;
  for (size_t i = 1; i + 1 < vertices; ++i)
    for (size_t v : {size_t(0), i, i + 1}) indices.push_back(Ogre::uint32(v));
  sub->indexData->indexCount = indices.size();
  sub->indexData->indexBuffer = Indices(indices, vertices > 65536);
  mesh->_setBounds(Ogre::AxisAlignedBox(0, 0, 0, float(vertices) * 0.001f, 0, 0), false);
  mesh->load();
  return mesh;
}

FakeRenderSystem::FakeRenderSystem(bool programs, const Ogre::String& name, Ogre::VertexElementType colour)
    : mPrograms(programs), mName(name), mColour(colour), mPrevious(Verdure::RenderQueries::set(this)) {}

FakeRenderSystem::~FakeRenderSystem() { Verdure::RenderQueries::set(mPrevious); }
