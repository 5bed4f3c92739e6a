/* The floor of a sampling pass: a bare loop that wakes every 2 seconds and
 * looks at a file twice, as a pass over a simulated machine looks whether its
 * machine file was rewritten. What a pass of Quimbo costs beyond this is
 * its own work.
 *   quimbo_pass_floor FILE */

#include <stdio.h>
#include <sys/stat.h>
#include <time.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  struct timespec next;
  clock_gettime(CLOCK_MONOTONIC, &next);
  for (;;) {
    next.tv_sec += 2;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL) != 0) {
    }
    struct stat first, second;
    if (stat(argv[1], &first) != 0 || stat(argv[1], &second) != 0) {
      perror(argv[1]);
      return 1;
    }
  }
}
