#include "shell/classes_registry.h"

void WriteAssociation(const std::vector<RegistryEntry>& plan, ClassesRegistry& registry) {
    for (const RegistryEntry& entry : plan) {
        if (!registry.Write(ClassesStore::Root, entry)) {
            (void)registry.Write(ClassesStore::User, entry);
        }
    }
}
