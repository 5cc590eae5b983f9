-- wrk: forum posts, each from a distinct installation under an alias of its own, so that
-- neither the per-installation limit nor the alias owner check turns a request away.
local threads = 0

function setup(thread)
  threads = threads + 1
  thread:set("tid", threads)
end

local counter = 0

local function escape(text)
  return (text:gsub("[^%w%-%._~]", function(c) return string.format("%%%02X", string.byte(c)) end))
end

function request()
  counter = counter + 1
  local mac = string.format("%d%08d", tid, counter)
  local text = "Please add a map of the places I visited, with the dates & prices.\r\nPost " .. mac
  return wrk.format("GET", "/cgi-bin/roamlog/roamlogdb.cgi?path=post&param=" .. escape(text) ..
                    "&usr=" .. escape("poster " .. mac) .. "&mac=" .. mac ..
                    "&param2=" .. escape("05-15-2026 10:11:12"))
end
