// The movie that talks to its host.
#include "tests/win/flashctl/test_movies.h"

namespace flashctl_test {

std::string HostMovie() {
  return R"(
size 100 80
background white
rate 50
shape face
  fill f solid #2060c0
  rect 20 20 40 30 fill f
end
button go
  up+over+down+hit face
  on release action 83 19 00 46 53 43 6f 6d 6d 61 6e 64 3a 63 6c 69 63 6b 65 64 00 62 75 74 74 6f 6e 00 00
end
place go 1 name go
actions
  function "echo" "a"
    push "echo " 
    push "a"
    getvariable
    add2
    return
  end
  addcallback "echo" "this" "echo"
  pop
  fscommand "hello" "world"
  push "answer"
  externalcall "page.ask" "a<b&c" 42 true null
  setvariable
  push "list"
  push "x" 2 2
  initarray
  setvariable
  push "list"
  getvariable
  push "page.list" 2 "flash"
  getvariable
  push "external"
  getmember
  push "ExternalInterface"
  getmember
  push "call"
  bytes 52
  pop
end
show
actions
  stop
end
show
)";
}

}  // namespace flashctl_test
