#include "effects/ParticleBatch.h"

#include "effects/EffectParticleEX.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMatrix3.h>
#include <OgreNode.h>

#include <algorithm>
#include <cstring>

void ParticleBatch::Create(const ParticleMeshShape& shape, size_t copies, const Ogre::String& material) {
  const size_t vertices = shape.positions.size();
  mCopies = copies;
  setDynamic(true);
  estimateVertexCount(vertices * copies);
  estimateIndexCount(shape.indices.size() * copies);
  begin(material, Ogre::RenderOperation::OT_TRIANGLE_LIST);
  for (size_t copy = 0; copy < copies; ++copy) {
    for (size_t v = 0; v < vertices; ++v) {
      position(Ogre::Vector3::ZERO);
      colour(Ogre::ColourValue::ZERO);
      textureCoord(0.0f, 0.0f);
    }
    for (uint32_t index : shape.indices) this->index(uint32_t(copy * vertices) + index);
  }
  end();
}

void ParticleBatch::Rewrite(const ParticleMeshShape& shape, const std::vector<ParticleRenderRecord>& records,
                            const std::vector<Ogre::Vector3>& turns) {
  if (mSectionList.empty()) return;
  Ogre::RenderOperation* operation = mSectionList.front()->getRenderOperation();
  Ogre::VertexData* data = operation->vertexData;
  const size_t vertices = shape.positions.size();
  const size_t count = std::min({records.size(), turns.size(), mCopies});
  if (count > 0 && vertices > 0) {
    const Ogre::VertexDeclaration* declaration = data->vertexDeclaration;
    const Ogre::VertexElement* positionElement = declaration->findElementBySemantic(Ogre::VES_POSITION);
    const Ogre::VertexElement* colourElement = declaration->findElementBySemantic(Ogre::VES_DIFFUSE);
    const Ogre::VertexElement* uvElement = declaration->findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES);
    const Ogre::HardwareVertexBufferSharedPtr& buffer = data->vertexBufferBinding->getBuffer(0);
    const size_t stride = buffer->getVertexSize();
    const size_t positionAt = positionElement->getOffset(), colourAt = colourElement->getOffset(),
                 uvAt = uvElement->getOffset();
    const Ogre::VertexElementType colourType = colourElement->getType();
    auto* out = static_cast<unsigned char*>(buffer->lock(0, count * vertices * stride, Ogre::HardwareBuffer::HBL_DISCARD));
    // Plain float arithmetic in the order of (rotation * v) * size + position
    // with Ogre's vector operators, so the results are theirs to the bit.
    float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    float farthest = 0.0f;  // squared
    for (size_t i = 0; i < count; ++i) {
      const ParticleRenderRecord& record = records[i];
      const Ogre::Matrix3 m = EulerRotationXYZ(turns[i]);
      const float size[3] = {record.size.x, record.size.y, record.size.z};
      const float at[3] = {record.position.x, record.position.y, record.position.z};
      const Ogre::uint32 colour = Ogre::VertexElement::convertColourValue(record.colour, colourType);
      for (size_t v = 0; v < vertices; ++v, out += stride) {
        const Ogre::Vector3& corner = shape.positions[v];
        float p[3];
        for (int r = 0; r < 3; ++r) p[r] = (m[r][0] * corner.x + m[r][1] * corner.y + m[r][2] * corner.z) * size[r] + at[r];
        std::memcpy(out + positionAt, p, sizeof p);
        std::memcpy(out + colourAt, &colour, sizeof colour);
        std::memcpy(out + uvAt, shape.uvs[v].ptr(), sizeof(float) * 2);
        if (i == 0 && v == 0) {
          std::copy(p, p + 3, low);
          std::copy(p, p + 3, high);
        } else {
          for (int r = 0; r < 3; ++r) {
            if (p[r] < low[r]) low[r] = p[r];
            if (p[r] > high[r]) high[r] = p[r];
          }
        }
        farthest = std::max(farthest, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
      }
    }
    buffer->unlock();
    // The bounds grow as position() would have grown them, vertex by vertex.
    mAABB.merge(Ogre::Vector3(low));
    mAABB.merge(Ogre::Vector3(high));
    mRadius = std::max(mRadius, std::sqrt(farthest));
  }
  data->vertexCount = count * vertices;
  if (operation->indexData) operation->indexData->indexCount = count * shape.indices.size();
  operation->useIndexes = count > 0 && vertices > 0;
  if (mParentNode) mParentNode->needUpdate();
}

// FromEulerAnglesXYZ multiplies X * (Y * Z) with X, Y and Z the rotations
// about each axis. Each element below is that product's sum with its terms
// that are exactly zero or a plain copy left out, in the order the general
// product adds the others, so the results are the same to the bit.
Ogre::Matrix3 EulerRotationXYZ(const Ogre::Vector3& degrees) {
  const Ogre::Radian x = Ogre::Degree(degrees.x), y = Ogre::Degree(degrees.y), z = Ogre::Degree(degrees.z);
  const float cx = Ogre::Math::Cos(x), sx = Ogre::Math::Sin(x);
  const float cy = Ogre::Math::Cos(y), sy = Ogre::Math::Sin(y);
  const float cz = Ogre::Math::Cos(z), sz = Ogre::Math::Sin(z);
  // Y * Z: rows (cy cz, -cy sz, sy), (sz, cz, 0), (-sy cz, sy sz, cy).
  const float yz00 = cy * cz, yz01 = cy * -sz, yz20 = -sy * cz, yz21 = -sy * -sz;
  return Ogre::Matrix3(yz00, yz01, sy,
                       cx * sz + -sx * yz20, cx * cz + -sx * yz21, -sx * cy,
                       sx * sz + cx * yz20, sx * cz + cx * yz21, cx * cy);
}
