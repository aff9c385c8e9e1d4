/* Resource identifiers for Kest. */
#ifndef KEST_RESOURCE_H
#define KEST_RESOURCE_H

/* Application icon. */
#define IDI_KEST 1

#endif /* KEST_RESOURCE_H */
