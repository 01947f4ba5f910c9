#include "platform/files/relation_base.hpp"

namespace vc::files {

void RelationBase::init(FileAccessBase& access) {
  me = &access;
  related.clear();
}

void RelationBase::release() {
  related.clear();
}

errors::Severity RelationBase::open() {
  if (me == nullptr) return errors::Severity::fatal;
  me->open();
  const errors::Severity answer = me->firstUse(UseKind::use);
  for (RelationBase* other : related) other->open();
  return answer;
}

void RelationBase::close() {
  for (RelationBase* other : related) other->close();
  if (me != nullptr) me->close();
}

void RelationBase::setQuickScan(bool on) {
  if (me != nullptr && me->file != nullptr)
    (void)me->file->sendOption(on ? "QUICKSCAN=on" : "QUICKSCAN=off");
  for (RelationBase* other : related) other->setQuickScan(on);
}

}  // namespace vc::files
