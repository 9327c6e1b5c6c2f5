#pragma once
// What a unit asks of its visible model. The unit model (scene node, part
// entities, animation blending) implements it over the engine; the unit logic
// only talks to this, so it runs and is tested without a scene.
#include <OgrePrerequisites.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <string>

class UnitModelBase {
 public:
  virtual ~UnitModelBase() = default;

  // Shows or hides the whole model with its attached effects.
  virtual void SetVisible(bool visible) = 0;
  // The unit's scene node takes the unit's derived transform.
  virtual void SetNodePosition(const Ogre::Vector3& position) = 0;
  virtual void SetNodeOrientation(const Ogre::Quaternion& orientation) = 0;
  virtual void SetNodeScale(const Ogre::Vector3& scale) = 0;

  // Starts a skeletal animation of that name from its beginning; an unknown
  // name leaves the current one playing.
  virtual void PlayAnimationByName(const std::string& name, float speed, bool loop) = 0;
  // A request by name with a play count (1 once, -1 looping), a speed and a
  // flag; the unit model plays nothing on it.
  virtual void PlayAnimation(const std::string& name, int mode, float speed, bool flag) = 0;
  // Time scale of the animations.
  virtual void SetSpeed(float speed) = 0;

  // Parts and attached effects under slot names, and bone aliases.
  virtual void RemovePart(const std::string& slot) = 0;
  virtual void AttachPartEffect(const std::string& slot, const std::string& effect) = 0;
  virtual void SetBoneAlias(const std::string& alias, const std::string& bone) = 0;
  virtual void AddAnimGroup(const std::string& group, const std::string& anim, const std::string& skeleton,
                            const std::string& sound, const std::string& effect) = 0;
  virtual void AddSkeletonFile(const std::string& file) = 0;
  // The model's scene node, main entity and bones; null until the first part.
  virtual Ogre::SceneNode* GetSceneNode() = 0;
  virtual Ogre::Entity* GetEntity() = 0;
  virtual Ogre::Bone* GetBone(const std::string& name) = 0;
  virtual Ogre::Bone* GetRideBone() = 0;
  virtual void AttachPart(const std::string& slot, const std::string& mesh) = 0;
  virtual void AttachPartToBone(const std::string& slot, const std::string& mesh, const Ogre::Vector3& position,
                                const Ogre::Quaternion& orientation, const std::string& bone) = 0;
  virtual void SetCustomParameter(unsigned index, const Ogre::Vector4& value) = 0;
  // Once per frame, from the unit's update.
  virtual void Update() = 0;
};
